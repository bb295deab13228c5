#include "viewer/ui/FormSearch.h"

#include "common/Captions.h"
#include "common/FileNames.h"
#include "common/Files.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "system/ui/Dialogs.h"
#include "viewer/ViewerState.h"
#include "viewer/search/MediaSearch.h"
#include "viewer/ui/FormPicture.h"

#include <QAudioOutput>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <QWebEngineView>

namespace viewer {

namespace {

    const QString kIdleCaption = QStringLiteral("开始搜索");
    const QString kBusyCaption = QStringLiteral("停止搜索");
    const QString kFolderPrompt = QStringLiteral("请选择一个文件夹或者硬盘路径");

    // The preview plays through Qt's FFmpeg media backend unless the user names another: it comes
    // with Qt's multimedia package, while the GStreamer backend needs plugin packages and takes
    // the program down when they are missing. The choice holds from the first media object on.
    void chooseMediaBackend()
    {
        if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
            qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    }

}

FormSearch::FormSearch(const common::Services &services,
    common::RunningValues &values,
    ViewerState &viewerState,
    FormPicture &viewer,
    QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_values(values)
    , m_viewerState(viewerState)
    , m_viewer(viewer)
    , m_search(viewer.mediaSearch())
{
    chooseMediaBackend();
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(caption());
    setModal(true);
    askFolder = [this](const QString &prompt) {
        return sys::BrowseForFolder(prompt, this);
    };
    askSavePath = [this](const QString &title, const QString &defaultName, int filterIndex) {
        return sys::ShowFileDialog(m_services.settings,
            m_viewerState.CurrentFolder,
            QStringLiteral("save"),
            title,
            defaultName,
            filterIndex,
            this);
    };
    confirm = [this](const QString &question) {
        return QMessageBox::question(
                   this, common::kViewerCaption, question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
            == QMessageBox::Ok;
    };
    inform = [this](const QString &message) {
        QMessageBox::information(this, common::kViewerCaption, message);
    };
    createControls();
    resize(760, 520);

    connect(&m_search, &MediaSearch::folderEntered, this, [this] {
        if (m_listShowsSearch)
            Lab->setText(foundCountText(m_search.FoundCount()));
    });
    connect(&m_search, &MediaSearch::fileFound, this, [this](const QString &path) {
        if (m_listShowsSearch)
            ListFile->addItem(path);
    });
    connect(&m_search, &MediaSearch::finished, this, &FormSearch::searchFinished);
    Form_Load();
}

FormSearch::~FormSearch()
{
    // A window that goes without being closed still ends its search.
    if (!m_unloaded)
        m_viewerState.SearchStop = true;
}

void FormSearch::createControls()
{
    PathLabel = new QLabel(QStringLiteral("路径："), this);
    ComPath = new QComboBox(this);
    ComPath->setObjectName(QStringLiteral("ComPath"));
    ComPath->setEditable(true);
    ComPath->setInsertPolicy(QComboBox::NoInsert);
    ComPath->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    PathLabel->setBuddy(ComPath);

    CmdSearch = new QToolButton(this);
    CmdSearch->setObjectName(QStringLiteral("CmdSearch"));
    CmdSearch->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    CmdSearch->setToolTip(kFolderPrompt);
    connect(CmdSearch, &QToolButton::clicked, this, &FormSearch::CmdSearch_Click);

    Command1 = new QPushButton(kIdleCaption, this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &FormSearch::Command1_Click);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(PathLabel);
    pathRow->addWidget(ComPath, 1);
    pathRow->addWidget(CmdSearch);
    pathRow->addWidget(Command1);

    auto *optionRow = new QHBoxLayout;
    for (int i = 0; i < kSearchCategoryCount; ++i) {
        auto *option = new QRadioButton(categoryCaption(i), this);
        option->setObjectName(QStringLiteral("Opt%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { Opt_Click(i); });
        optionRow->addWidget(option);
        Opt[size_t(i)] = option;
    }
    Opt[0]->setChecked(true);
    optionRow->addStretch(1);
    Lab = new QLabel(QStringLiteral("计数：0"), this);
    Lab->setObjectName(QStringLiteral("Lab"));
    Lab->setMinimumWidth(120);
    optionRow->addWidget(Lab);

    ListFile = new QListWidget(this);
    ListFile->setObjectName(QStringLiteral("ListFile"));
    ListFile->setToolTip(QStringLiteral("文件列表，单击可以复制列表，双击打开列表文件"));
    ListFile->setUniformItemSizes(true);
    connect(ListFile, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ListFile_Click();
    });
    connect(ListFile, &QListWidget::itemDoubleClicked, this, [this] { ListFile_DblClick(); });

    Preview = new QStackedWidget(this);
    Preview->setObjectName(QStringLiteral("WindowsMediaPlayer"));
    Preview->setMinimumSize(300, 240);
    Preview->setAutoFillBackground(true);
    QPalette dark = Preview->palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    Preview->setPalette(dark);
    PreviewNote = new QLabel(Preview);
    PreviewNote->setObjectName(QStringLiteral("PreviewNote"));
    PreviewNote->setAlignment(Qt::AlignCenter);
    PreviewNote->setWordWrap(true);
    PicturePreview = new QLabel(Preview);
    PicturePreview->setObjectName(QStringLiteral("PicturePreview"));
    PicturePreview->setAlignment(Qt::AlignCenter);
    PicturePreview->setMinimumSize(1, 1);
    VideoView = new QVideoWidget(Preview);
    VideoView->setObjectName(QStringLiteral("VideoView"));
    Preview->addWidget(PreviewNote);
    Preview->addWidget(PicturePreview);
    Preview->addWidget(VideoView);
    Preview->setCurrentWidget(PreviewNote);

    auto *middle = new QHBoxLayout;
    middle->addWidget(ListFile, 3);
    middle->addWidget(Preview, 2);

    const auto makeButton = [this](const char *name, const QString &text, void (FormSearch::*handler)()) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    Command2 = makeButton("Command2", QStringLiteral("保存全部"), &FormSearch::Command2_Click);
    Command3 = makeButton("Command3", QStringLiteral("导出列表"), &FormSearch::Command3_Click);
    Command5 = makeButton("Command5", QStringLiteral("打开文件"), &FormSearch::Command5_Click);
    Command6 = makeButton("Command6", QStringLiteral("保存文件"), &FormSearch::Command6_Click);
    Command7 = makeButton("Command7", QStringLiteral("删除文件"), &FormSearch::Command7_Click);
    Command4 = makeButton("Command4", QStringLiteral("关闭(&C)"), &FormSearch::Command4_Click);
    auto *buttonRow = new QHBoxLayout;
    for (QPushButton *button : { Command2, Command3, Command5, Command6, Command7 })
        buttonRow->addWidget(button);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Command4);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(optionRow);
    layout->addLayout(middle, 1);
    layout->addLayout(buttonRow);

    m_copyTimer = new QTimer(this);
    m_copyTimer->setInterval(0);
    connect(m_copyTimer, &QTimer::timeout, this, &FormSearch::copyNextFile);
}

int FormSearch::Seltype() const
{
    return m_search.Seltype;
}

void FormSearch::Form_Load()
{
    m_search.Seltype = kSearchPictures;
    const QString stored = m_services.settings.read(common::keys::kSearch, common::keys::kComPath);
    ComPath->setEditText(stored.isEmpty() ? QDir::homePath() : stored);
}

void FormSearch::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_QueryUnload();
    QDialog::closeEvent(event);
}

void FormSearch::done(int result)
{
    if (!m_unloaded)
        Form_QueryUnload();
    QDialog::done(result);
}

void FormSearch::Form_QueryUnload()
{
    m_unloaded = true;
    m_services.settings.save(common::keys::kSearch, common::keys::kComPath, ComPath->currentText());
    m_viewerState.SearchStop = true;
    m_copyTimer->stop();
    stopPlayer();
    m_viewer.Lab[0]->setText(QStringLiteral("当前路径："));
}

void FormSearch::CmdSearch_Click()
{
    const QString folder = askFolder(kFolderPrompt);
    if (folder.isEmpty())
        return;
    ComPath->setEditText(folder);
    ComPath->addItem(folder);
}

void FormSearch::Command1_Click()
{
    if (Command1->text() == kBusyCaption) {
        Command1->setText(kIdleCaption);
        m_viewerState.SearchStop = true;
        unsetCursor();
        return;
    }
    ListFile->clear();
    m_listShowsSearch = true;
    if (Opt[0]->isChecked())
        m_viewer.Web->setHtml(QStringLiteral("<body>正在搜索之中，请等待……</body>"));
    // Starting ends a search still running, which reports its end first.
    m_viewer.searchImage(ComPath->currentText());
    Command1->setText(kBusyCaption);
    setCursor(Qt::BusyCursor);
}

void FormSearch::searchFinished()
{
    Command1->setText(kIdleCaption);
    unsetCursor();
    if (m_listShowsSearch)
        Lab->setText(foundCountText(m_search.FoundCount()));
}

void FormSearch::Opt_Click(int index)
{
    m_search.Seltype = index;
    Opt[size_t(index)]->setChecked(true);
    ListFile->clear();
    m_listShowsSearch = false;
    Lab->setText(QStringLiteral("0"));
    m_viewer.Lab[0]->clear();
    m_viewer.Lab[2]->clear();
    Command1_Click();
}

QString FormSearch::selectedPath() const
{
    const QListWidgetItem *item = ListFile->currentItem();
    return item ? item->text() : QString();
}

void FormSearch::ListFile_Click()
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    m_services.desktop.setClipboardText(path);
    showPreview(path);
}

void FormSearch::showPreview(const QString &path)
{
    m_previewed = path;
    const int category = categoryOfPath(path);
    if (category == kSearchFlash) {
        stopPlayer();
        PreviewNote->setText(QStringLiteral("Flash 动画文件不能在这里预览，双击列表中的文件可以打开它"));
        Preview->setCurrentWidget(PreviewNote);
        return;
    }
    if (category == kSearchPictures) {
        stopPlayer();
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize full = reader.size();
        const QSize room = Preview->size();
        if (full.isValid() && (full.width() > room.width() || full.height() > room.height()))
            reader.setScaledSize(full.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        const QImage image = reader.read();
        PicturePreview->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
        Preview->setCurrentWidget(PicturePreview);
        return;
    }
    if (!m_player) {
        m_player = new QMediaPlayer(this);
        m_audio = new QAudioOutput(this);
        m_player->setAudioOutput(m_audio);
        m_player->setVideoOutput(VideoView);
    }
    Preview->setCurrentWidget(VideoView);
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}

void FormSearch::stopPlayer()
{
    if (!m_player)
        return;
    m_player->stop();
    m_player->setSource(QUrl());
}

void FormSearch::ListFile_DblClick()
{
    Command5_Click();
}

void FormSearch::Command5_Click()
{
    const QString path = selectedPath();
    if (!path.isEmpty())
        m_services.desktop.openWithDesktop(common::fileUrl(path));
}

void FormSearch::Command6_Click()
{
    const QString path = selectedPath();
    if (path.isEmpty())
        return;
    const QString target = askSavePath(QStringLiteral("另存为"), path.mid(path.lastIndexOf(QLatin1Char('/')) + 1), 1);
    if (target.isEmpty() || QFileInfo(target) == QFileInfo(path))
        return;
    common::copyFileReplacing(path, target);
}

void FormSearch::Command7_Click()
{
    const QString path = selectedPath();
    if (path.isEmpty() || !confirm(QStringLiteral("确定要删除这个文件吗？    ")))
        return;
    if (m_previewed == path)
        stopPlayer();
    // Into the trash, as the viewer deletes; only a file, never a folder a link points at.
    if (QFileInfo(path).isFile())
        QFile::moveToTrash(path);
    // An entry leaves the list once its file is gone.
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        delete ListFile->currentItem();
}

void FormSearch::Command2_Click()
{
    if (isCopyingAll())
        return;
    const QString folder = askFolder(kFolderPrompt);
    if (folder.isEmpty())
        return;
    m_copyFolder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    m_copyRow = 0;
    setCursor(Qt::BusyCursor);
    m_copyTimer->start();
}

bool FormSearch::isCopyingAll() const
{
    return m_copyTimer->isActive();
}

void FormSearch::copyNextFile()
{
    if (m_copyRow < ListFile->count()) {
        ListFile->setCurrentRow(m_copyRow);
        const QString path = ListFile->item(m_copyRow)->text();
        common::copyFileReplacing(path, m_copyFolder + path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        ++m_copyRow;
        return;
    }
    m_copyTimer->stop();
    unsetCursor();
    inform(QStringLiteral("文件全部复制成功……    "));
}

void FormSearch::Command3_Click()
{
    const QString target = askSavePath(QStringLiteral("另存为"), QStringLiteral("文件列表.txt"), 4);
    if (target.isEmpty())
        return;
    QString text;
    for (int row = 0; row < ListFile->count(); ++row) {
        text += ListFile->item(row)->text();
        text += QLatin1String("\r\n");
    }
    if (common::writeFileAtomically(target, common::encodeLocal(text)))
        inform(QStringLiteral("文件列表复制成功……    "));
}

void FormSearch::Command4_Click()
{
    close();
}

}
