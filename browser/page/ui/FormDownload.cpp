#include "browser/page/ui/FormDownload.h"

#include "browser/page/DownloadRules.h"
#include "browser/page/ui/AddressSaver.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/platform/Desktop.h"
#include "system/ui/Dialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace browser::page {

namespace {
    using common::px;

    // Design geometry in twips.
    constexpr int kWidth = 7200;
    constexpr int kHeight = 2100;
    constexpr int kLabelLeft = 120;
    constexpr int kLabelWidth = 1050;
    constexpr int kFieldLeft = 1200;
    constexpr int kFieldWidth = 5800;
    constexpr int kDownloadRowHeight = 330;
    constexpr int kRowTops[] = { 150, 600, 1050 };
    constexpr int kButtonTop = 1560;
    constexpr int kDownloadButtonWidth = 1200;
    constexpr int kDownloadButtonHeight = 375;
}

FormDownload::FormDownload(common::platform::Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("FormDownload"));
    setWindowTitle(QStringLiteral("下载网络文件"));
    setFixedSize(px(kWidth), px(kHeight));
    const QStringList captions {
        QStringLiteral("下载地址："), QStringLiteral("保存目录："), QStringLiteral("文件名称：")
    };
    for (int row = 0; row < 3; ++row) {
        auto *label = new QLabel(captions[row], this);
        label->setGeometry(px(kLabelLeft), px(kRowTops[row]), px(kLabelWidth), px(kDownloadRowHeight));
    }
    CombUrl = new QComboBox(this);
    CombUrl->setObjectName(QStringLiteral("CombUrl"));
    CombUrl->setEditable(true);
    CombUrl->setInsertPolicy(QComboBox::NoInsert);
    CombUrl->setGeometry(px(kFieldLeft), px(kRowTops[0]), px(kFieldWidth), px(kDownloadRowHeight));
    CombUrl->installEventFilter(this);
    CombUrl->lineEdit()->installEventFilter(this);
    connect(CombUrl, &QComboBox::editTextChanged, this, [this] { CombUrl_Change(); });

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(px(kFieldLeft), px(kRowTops[1]), px(kFieldWidth), px(kDownloadRowHeight));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(px(kFieldLeft), px(kRowTops[2]), px(kFieldWidth), px(kDownloadRowHeight));

    const auto button = [this](const QString &name, const QString &text, int left) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(px(left), px(kButtonTop), px(kDownloadButtonWidth), px(kDownloadButtonHeight));
        b->setAutoDefault(false);
        return b;
    };
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("浏览(&V)"), kFieldLeft);
    Command1 = button(QStringLiteral("Command1"),
        QStringLiteral("下载(&D)"),
        kFieldLeft + kFieldWidth - 2 * kDownloadButtonWidth - 120);
    Command2 =
        button(QStringLiteral("Command2"), QStringLiteral("关闭(&C)"), kFieldLeft + kFieldWidth - kDownloadButtonWidth);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { close(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });

    askFolder = [this](const QString &prompt) {
        return sys::BrowseForFolder(prompt, this);
    };
    startDownload = [this](const QString &address) {
        AddressSaver::saveWithDialog(parentWidget(), address);
    };
    Form_Load();
}

FormDownload *FormDownload::open(common::platform::Desktop &desktop, QWidget *parent)
{
    auto *dialog = new FormDownload(desktop, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void FormDownload::Form_Load()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    Text1->setText(common::withTrailingSlash(common::defaultPicturesFolder()) + QStringLiteral("Download/"));
}

void FormDownload::CombUrl_GotFocus()
{
    const QString text = m_desktop.clipboardText();
    if (isClipboardAddress(text))
        CombUrl->setEditText(text);
}

void FormDownload::CombUrl_Change()
{
    const QString address = CombUrl->currentText();
    CombUrl->setToolTip(address);
    Text2->setText(addressFileName(address));
}

void FormDownload::Command1_Click()
{
    const QString address = CombUrl->currentText();
    if (!isDownloadableAddress(address))
        return;
    CombUrl->addItem(address);
    // The save dialog comes up over the window behind: this one, on top, goes first.
    hide();
    const QPointer<FormDownload> alive(this);
    if (startDownload)
        startDownload(address);
    if (alive)
        close();
}

void FormDownload::Command3_Click()
{
    const QString folder = askFolder ? askFolder(QStringLiteral("请指定一个保存图片的文件目录")) : QString();
    if (!folder.isEmpty())
        Text1->setText(folder);
}

bool FormDownload::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == CombUrl || watched == CombUrl->lineEdit()) && event->type() == QEvent::FocusIn)
        CombUrl_GotFocus();
    return QDialog::eventFilter(watched, event);
}

}
