#include "system/ui/FilePropertiesDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace sys {

QList<QPair<QString, QString>> FilePropertiesDialog::rowsFor(const QString &path)
{
    const QFileInfo info(path);
    QList<QPair<QString, QString>> rows;
    rows.append({ QStringLiteral("名称："), info.fileName() });
    rows.append({ QStringLiteral("位置："), info.absolutePath() });
    if (info.isDir()) {
        rows.append({ QStringLiteral("类型："), QStringLiteral("文件夹") });
    } else {
        const QLocale locale;
        rows.append({ QStringLiteral("大小："),
            QStringLiteral("%1 (%2 字节)").arg(locale.formattedDataSize(info.size()), locale.toString(info.size())) });
    }
    rows.append({ QStringLiteral("修改时间："), info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) });
    if (info.isFile()) {
        // Only the header is read, so a huge or damaged picture costs nothing here.
        QImageReader reader(path);
        const QSize size = reader.size();
        if (size.isValid())
            rows.append({ QStringLiteral("尺寸："), QStringLiteral("%1 × %2").arg(size.width()).arg(size.height()) });
    }
    return rows;
}

FilePropertiesDialog::FilePropertiesDialog(const QString &path, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" 属性"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    for (const auto &[label, value] : rowsFor(path)) {
        auto *text = new QLabel(value, this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setTextFormat(Qt::PlainText);
        form->addRow(label, text);
    }
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}
