#include "system/ui/FormSetupSYS.h"

#include "common/AppState.h"
#include "common/Numbers.h"
#include "common/Settings.h"
#include "system/ui/Dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sys {

FormSetupSYS::FormSetupSYS(common::AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("系统设置中心"));
    auto *layout = new QVBoxLayout(this);

    Chk[1] = new QCheckBox(QStringLiteral("退出时保留图片的最后访问路径。"), this);
    layout->addWidget(Chk[1]);

    auto *numbers = new QGridLayout;
    TextFile = new QLineEdit(QStringLiteral("30"), this);
    TextSize = new QLineEdit(QStringLiteral("30"), this);
    auto *fileLabel = new QLabel(QStringLiteral("每页能够显示的图片最大数目："), this);
    auto *sizeLabel = new QLabel(QStringLiteral("搜索图片时的最小尺寸（KB）："), this);
    fileLabel->setBuddy(TextFile);
    sizeLabel->setBuddy(TextSize);
    numbers->addWidget(fileLabel, 0, 0);
    numbers->addWidget(TextFile, 0, 1);
    numbers->addWidget(sizeLabel, 1, 0);
    numbers->addWidget(TextSize, 1, 1);
    numbers->addWidget(new QLabel(QStringLiteral("范围在[30，200]之间。"), this), 0, 2, 2, 1);
    layout->addLayout(numbers);

    addConfirmButtons(this, layout, CmdOK, CmdCancel);

    connect(CmdOK, &QPushButton::clicked, this, &FormSetupSYS::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void FormSetupSYS::Form_Load()
{
    if (m_state.settings) {
        bool ok = false;
        const int stored =
            m_state.settings->read(QStringLiteral("setup"), QStringLiteral("SetMenu1")).trimmed().toInt(&ok);
        if (ok && (stored == 0 || stored == 1))
            Chk[1]->setChecked(stored == 1);
    }
    TextFile->setText(QString::number(m_state.PageSize));
    TextSize->setText(QString::number(m_state.MinPictureKB));
}

void FormSetupSYS::CmdOK_Click()
{
    common::SettingsStore *settings = m_state.settings;
    if (settings)
        settings->save(QStringLiteral("setup"),
            QStringLiteral("SetMenu1"),
            Chk[1]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    const int pageSize = common::rangeRuleFromText(TextFile->text());
    if (settings)
        settings->save(QStringLiteral("Main"), QStringLiteral("PageFileCount"), QString::number(pageSize));
    m_state.PageSize = pageSize;
    const int pictureKB = common::rangeRuleFromText(TextSize->text());
    if (settings)
        settings->save(QStringLiteral("Main"), QStringLiteral("PictureSize"), QString::number(pictureKB));
    m_state.MinPictureKB = pictureKB;
    accept();
}

}
