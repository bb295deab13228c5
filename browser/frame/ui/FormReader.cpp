#include "browser/frame/ui/FormReader.h"

#include "browser/frame/BatchReader.h"
#include "common/Numbers.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "system/ui/Dialogs.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace browser::frame {

namespace {
    using common::px;
    // Vertical places, in twips.
    constexpr int kRowTop = 120;
    constexpr int kRowHeight = 330;
    constexpr int kListTop = 600;
    constexpr int kMargin = 100;
    constexpr int kButtonWidth = 1000;
    constexpr int kBrowseWidth = 550;
    constexpr int kLabelWidth = 1300;
    constexpr int kTwipsPerPixel = 15;
}

FormReader::FormReader(common::SettingsStore &settings,
    const QString &dataFolder,
    std::function<void(const QString &path)> open,
    QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_settings(settings)
    , m_dataFolder(dataFolder)
    , m_open(std::move(open))
{
    setObjectName(QStringLiteral("FormReader"));
    setWindowTitle(kReaderCaption);
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("网页目录："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComPath = new QComboBox(this);
    ComPath->setObjectName(QStringLiteral("ComPath"));
    ComPath->setEditable(true);
    ComPath->setInsertPolicy(QComboBox::NoInsert);
    Label1->setBuddy(ComPath);
    CmdSearch = new QPushButton(QStringLiteral("..."), this);
    CmdSearch->setObjectName(QStringLiteral("CmdSearch"));
    CmdSearch->setToolTip(QStringLiteral("浏览"));
    Command1 = new QPushButton(QStringLiteral("阅读(&R)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    ListFile = new QListWidget(this);
    ListFile->setObjectName(QStringLiteral("ListFile"));
    ListFile->setToolTip(QStringLiteral("网页文件列表"));

    connect(CmdSearch, &QPushButton::clicked, this, &FormReader::CmdSearch_Click);
    connect(ComPath, &QComboBox::activated, this, &FormReader::ComPath_Click);
    // Enter is taken here, before the line edit and the box pass it on.
    ComPath->lineEdit()->installEventFilter(this);
    connect(ListFile, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        ListFile_Click(ListFile->row(item));
    });
    connect(Command1, &QPushButton::clicked, this, &FormReader::Command1_Click);

    resize(px(7800), px(5400));
    Form_Load();
}

FormReader::~FormReader()
{
    // Also when the frame goes while the reader is open.
    saveFolder();
}

void FormReader::saveFolder()
{
    if (m_saved)
        return;
    m_saved = true;
    m_settings.save(common::keys::kReader, common::keys::kHistory, m_folder);
}

void FormReader::Form_Load()
{
    const QString folder =
        readerStartFolder(m_settings.read(common::keys::kReader, common::keys::kHistory), m_dataFolder);
    ComPath->setEditText(folder);
    listFolder(folder);
}

void FormReader::listFolder(const QString &folder)
{
    m_folder = folder;
    ListFile->clear();
    ListFile->addItems(pageFilesIn(folder));
}

void FormReader::addToPathList(const QString &folder)
{
    if (ComPath->findText(folder) < 0)
        ComPath->addItem(folder);
}

void FormReader::information(const QString &text)
{
    QMessageBox::information(this, kReaderCaption, text);
}

void FormReader::CmdSearch_Click()
{
    const QString chosen = sys::BrowseForFolder(kReaderBrowsePrompt, this);
    if (chosen.isEmpty())
        return;
    ComPath->setEditText(chosen);
    listFolder(chosen);
    addToPathList(chosen);
    ComPath->setEditText(chosen);
}

void FormReader::ComPath_Click(int index)
{
    if (index >= 0)
        listFolder(ComPath->itemText(index));
}

void FormReader::ComPath_KeyEnter()
{
    const QString typed = ComPath->currentText();
    if (typed.isEmpty() || !QDir(typed).exists()) {
        information(kReaderMissingFolder);
        return;
    }
    listFolder(typed);
    addToPathList(typed);
    ComPath->setEditText(typed);
}

void FormReader::ListFile_Click(int row)
{
    const QListWidgetItem *item = ListFile->item(row);
    if (!item || !m_open)
        return;
    m_open(fileInFolder(m_folder, item->text()));
}

void FormReader::Command1_Click()
{
    if (ListFile->count() == 0) {
        information(kReaderNoFiles);
        return;
    }
    for (int row = 0; row < ListFile->count(); ++row) {
        ListFile->setCurrentRow(row);
        ListFile_Click(row);
    }
    close();
}

bool FormReader::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ComPath->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ComPath_KeyEnter();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormReader::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FormReader::Form_Resize()
{
    const ReaderLayout place = readerLayout(width() * kTwipsPerPixel);
    Label1->setGeometry(px(kMargin), px(kRowTop), px(kLabelWidth), px(kRowHeight));
    ComPath->setGeometry(px(kMargin + kLabelWidth), px(kRowTop), qMax(0, px(place.comPathWidth)), px(kRowHeight));
    CmdSearch->setGeometry(px(place.cmdSearchLeft), px(kRowTop), px(kBrowseWidth), px(kRowHeight));
    Command1->setGeometry(px(place.command1Left), px(kRowTop), px(kButtonWidth), px(kRowHeight));
    ListFile->setGeometry(
        px(kMargin), px(kListTop), qMax(0, px(place.listFileWidth)), qMax(0, height() - px(kListTop + kMargin)));
}

void FormReader::closeEvent(QCloseEvent *event)
{
    saveFolder();
    QWidget::closeEvent(event);
}

}
