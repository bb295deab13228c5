#include "system/ui/FormSetup.h"

#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
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

    using namespace common::keys;

    void loadCheck(QCheckBox *box, const QString &stored)
    {
        box->setChecked(common::checkFromText(stored, box->isChecked()));
    }

    QString checkText(const QCheckBox *box)
    {
        return common::checkText(box->isChecked());
    }

}

FormSetup::FormSetup(const common::Services &services, common::RunningValues &values, QWidget *parent)
    : QDialog(parent)
    , askFolder([](QWidget *owner) { return BrowseForFolder(QStringLiteral("请指定一个保存图片的文件目录"), owner); })
    , m_services(services)
    , m_values(values)
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
    const common::SettingsStore &settings = m_services.settings;
    ComUrl->setEditText(settings.read(kSetup, kHomepage));
    Chk[0]->setChecked(m_values.browser.SafeMode);
    loadCheck(Chk[1], settings.read(kSetup, kDelHistory));
    loadCheck(Chk[2], settings.read(kSetup, kUnderMe));
    loadCheck(Chk[3], settings.read(kSetup, kAutoDownload));
    ComPath->setEditText(m_values.DownloadFolder);
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
    common::BrowserSettings &browser = m_values.browser;
    browser.SafeMode = Chk[0]->isChecked();
    browser.BackgroundTabs = Chk[2]->isChecked();
    // An empty box would make the root folder the download folder; the old folder stays instead,
    // and it is what gets stored, so the next start uses the same folder.
    if (!path.isEmpty())
        m_values.DownloadFolder = common::withTrailingSlash(path);
    browser.AutoSave = Chk[3]->isChecked();
    browser.StartPage = ComUrl->currentText();

    common::SettingsStore &settings = m_services.settings;
    settings.save(kSetup, kHomepage, ComUrl->currentText());
    settings.save(kSetup, kPop, checkText(Chk[0]));
    settings.save(kSetup, kDelHistory, checkText(Chk[1]));
    settings.save(kSetup, kUnderMe, checkText(Chk[2]));
    settings.save(kSetup, kAutoDownload, checkText(Chk[3]));
    settings.save(kSetup, kDownloadPath, path.isEmpty() ? m_values.DownloadFolder : path);
    if (!path.isEmpty())
        QDir().mkpath(path);
    accept();
}

}
