#include "system/ui/FormSetup.h"

#include "common/AppState.h"
#include "common/Paths.h"
#include "common/Settings.h"
#include "system/ui/Dialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sys {

namespace {

    const QString kSection = QStringLiteral("setup");

    // A stored box value: "0" or "1"; anything else leaves the box as it was.
    void loadCheck(QCheckBox *box, const QString &stored)
    {
        bool ok = false;
        const int value = stored.trimmed().toInt(&ok);
        if (ok && (value == 0 || value == 1))
            box->setChecked(value == 1);
    }

    QString checkText(const QCheckBox *box)
    {
        return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }

}

FormSetup::FormSetup(common::AppState &state, QWidget *parent)
    : QDialog(parent)
    , askFolder([](QWidget *owner) { return BrowseForFolder(QStringLiteral("请指定一个保存图片的文件目录"), owner); })
    , m_state(state)
{
    setWindowTitle(QStringLiteral("选项设置"));
    auto *layout = new QVBoxLayout(this);

    auto *startFrame = new QGroupBox(QStringLiteral("启动首页"), this);
    auto *startLayout = new QVBoxLayout(startFrame);
    ComUrl = new QComboBox(startFrame);
    ComUrl->setEditable(true);
    ComUrl->addItems({
        QStringLiteral("https://commons.wikimedia.org/wiki/Main_Page"),
        QStringLiteral("https://www.flickr.com/explore"),
        QStringLiteral("https://unsplash.com/"),
        QStringLiteral("https://www.pexels.com/"),
        QStringLiteral("https://www.deviantart.com/"),
    });
    ComUrl->setCurrentIndex(-1);
    ComUrl->setMinimumWidth(420);
    startLayout->addWidget(ComUrl);
    layout->addWidget(startFrame);

    const std::array<QString, 4> captions {
        QStringLiteral("安全看图模式：拦截病毒、广告图片、电影、音乐等。"),
        QStringLiteral("软件退出时自动清空历史记录。"),
        QStringLiteral("在后台打开新的标签窗口。"),
        QStringLiteral("自动下载网页中的图片到本地硬盘（不超过 2GB）。"),
    };
    for (size_t i = 0; i < Chk.size(); ++i) {
        Chk[i] = new QCheckBox(captions[i], this);
        layout->addWidget(Chk[i]);
    }

    auto *pathRow = new QHBoxLayout;
    auto *pathLabel = new QLabel(QStringLiteral("路径："), this);
    ComPath = new FolderChooserBox(this);
    ComPath->setEditable(true);
    ComPath->setEditText(common::defaultPicturesFolder());
    pathLabel->setBuddy(ComPath);
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(ComPath, 1);
    layout->addLayout(pathRow);

    addConfirmButtons(this, layout, CmdOK, CmdCancel);

    connect(ComPath, &FolderChooserBox::chooseRequested, this, &FormSetup::ComPath_Click);
    connect(CmdOK, &QPushButton::clicked, this, &FormSetup::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void FormSetup::Form_Load()
{
    common::SettingsStore *settings = m_state.settings;
    if (settings)
        ComUrl->setEditText(settings->read(kSection, QStringLiteral("Homepage")));
    Chk[0]->setChecked(m_state.SafeMode);
    if (settings) {
        loadCheck(Chk[1], settings->read(kSection, QStringLiteral("DelHistory")));
        loadCheck(Chk[2], settings->read(kSection, QStringLiteral("UnderMe")));
        loadCheck(Chk[3], settings->read(kSection, QStringLiteral("AutoDownload")));
    }
    ComPath->setEditText(m_state.DownloadFolder);
}

void FormSetup::ComPath_Click()
{
    const QString folder = askFolder ? askFolder(this) : QString();
    if (!folder.isEmpty())
        ComPath->setEditText(folder);
}

void FormSetup::CmdOK_Click()
{
    const QString path = ComPath->currentText().trimmed();
    m_state.SafeMode = Chk[0]->isChecked();
    m_state.BackgroundTabs = Chk[2]->isChecked();
    // An empty box would make the root folder the download folder; the old folder stays instead.
    if (!path.isEmpty())
        m_state.DownloadFolder = common::withTrailingSlash(path);
    m_state.AutoSave = Chk[3]->isChecked();
    m_state.StartPage = ComUrl->currentText();

    if (common::SettingsStore *settings = m_state.settings) {
        settings->save(kSection, QStringLiteral("Homepage"), ComUrl->currentText());
        settings->save(kSection, QStringLiteral("Pop"), checkText(Chk[0]));
        settings->save(kSection, QStringLiteral("DelHistory"), checkText(Chk[1]));
        settings->save(kSection, QStringLiteral("UnderMe"), checkText(Chk[2]));
        settings->save(kSection, QStringLiteral("AutoDownload"), checkText(Chk[3]));
        settings->save(kSection, QStringLiteral("DownloadPath"), path);
    }
    if (!path.isEmpty())
        QDir().mkpath(path);
    accept();
}

}
