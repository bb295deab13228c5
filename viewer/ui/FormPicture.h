#pragma once

#include "common/Captions.h"
#include "viewer/PageNavigation.h"
#include "viewer/ViewerLayout.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <span>

class QAction;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QTreeView;
class QWebEngineView;

namespace common {
struct RunningValues;
struct Services;
}
namespace sys {
class MessagePump;
}
namespace browser::frame {
class Frmmain;
}
namespace web {
class PageCapture;
class PagePrinting;
}

namespace viewer {

class MediaSearch;
class PictureCommands;
struct ViewerState;

// The picture viewer: the program's start-up window. Its page view shows the thumbnail pages the
// viewer writes; toolbar and menus route to the logic classes of the viewer.
class FormPicture : public QMainWindow {
    Q_OBJECT
public:
    FormPicture(const common::Services &services,
        common::RunningValues &values,
        ViewerState &viewerState,
        sys::MessagePump &pump,
        QString commandLine,
        QWidget *parent = nullptr);
    ~FormPicture() override;

    static QString caption() { return common::kViewerCaption; }

    // Status text last reported by the page view: the address of the link under the mouse.
    QString WebFilePath;
    bool ScanDone = false;
    QString TargetFileName;
    int LayoutMode = 0;
    int FitWidthOn = 0;
    int ColourIndex = 0;
    QString PageBackColour = QStringLiteral("#FFFFFF");
    int ZoomPercent = kZoomStart;

    void ZOOMIE(int percent);
    void Dir1_Change();
    void ShowFirstPage();
    void BuildThumbnailPage();
    // Runs the media search from `folder` with the status line following it. When it ends, a
    // picture search (its category still chosen) becomes the viewer's list, shown from page 1;
    // other categories leave the viewer's list as it was.
    void searchImage(const QString &folder);
    // The viewer's one media search; closing the viewer stops it.
    MediaSearch &mediaSearch();
    // Opens the media search window, modal.
    void Command5_Click();

    // Controls, named as the viewer's commands refer to them.
    QWebEngineView *Web = nullptr;
    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QFrame *law = nullptr;
    QToolButton *ChkFace = nullptr;
    QComboBox *Cmb = nullptr;
    std::array<QLabel *, 7> Lab {};
    QLabel *Picture1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;

    QToolButton *Command1 = nullptr;
    QToolButton *Command5 = nullptr;
    QToolButton *Command6 = nullptr;
    std::array<QToolButton *, 2> CmdPage {};
    std::array<QToolButton *, 2> BigP {};
    std::array<QToolButton *, 2> MoveUp {};
    QToolButton *ImgComb = nullptr;
    QToolButton *Command7 = nullptr;
    QToolButton *Command10 = nullptr;
    QToolButton *Command8 = nullptr;
    QToolButton *Command2 = nullptr;
    QToolButton *Command9 = nullptr;
    QToolButton *Command3 = nullptr;

    QMenu *HelpMain = nullptr;
    QMenu *WebRigft = nullptr;
    std::array<QAction *, 5> Speed {};

    // The folder the folder list shows ("/" at the end).
    QString dir1Path() const { return m_dir1Path; }
    // Sets the folder list's folder; a new folder is scanned (as a user's choice would).
    void setDir1Path(const QString &folder);
    const ViewerLayout &layoutTwips() const { return m_layout; }
    const PageNavigation &navigation() const { return m_navigation; }
    const AutoScroll &autoScroll() const { return m_autoScroll; }
    // The menu entry of that name (the entry names of the menus: "FopenFile", ...).
    QAction *menuEntry(const QString &name) const;

    // Opens the browser frame (one instance, modeless), or brings it forward.
    void openBrowser();
    browser::frame::Frmmain *browserFrame() const;

    // Commands, public so that menus, buttons and tests reach the same handlers.
    void Command1_Click();
    // Lists the folder of a chosen picture starting at it (what "打开图片(&O)" does with the answer).
    void openPictureFile(const QString &chosen);
    void Command2_Click();
    void Command7_Click();
    void Command10_Click();
    void ImgComb_Click();
    void CmdPage_Click(int index);
    void ToolJump_Click();
    void BigP_Click(int index);
    void MoveUp_Click(int index);
    void Timer1_Timer();
    void Speed_Click(int index);
    void ToolsTop_Click();
    void ToolsButton_Click();
    void Cmb_KeyDown(int key);
    void ChkFace_Click();
    void EviewPath_Click();
    void Command9_Click();
    void AutoRunImag_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One entry of a menu table: a separator when it has no name. An entry without a command is
    // shown disabled.
    enum EntryFlag : unsigned { kCheckable = 1, kHidden = 2, kSpeedMark = 4 };
    struct MenuItem {
        const char *name = nullptr;
        const char *text = nullptr;
        void (*command)(FormPicture &) = nullptr;
        unsigned flags = 0;
    };

    void createControls();
    void createToolbar();
    void createMenus();
    void createCommandObjects();
    void addMenuEntries(QMenu *menu, std::span<const MenuItem> items);
    void turnPageIfEnabled(int index);
    void ToolSetup_Click();
    void HelpAbout_Click();
    void ToolScreen_Click();
    void ToolsDel_Click();
    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    void Form_QueryUnload();
    void Timer2_Timer();
    void Drive1_Change();
    void applyLayout();
    void showPage(const QString &html, int totalPages, bool nextEnabled, const QString &folder);
    void setPageButtons();
    void setButtonColour(QToolButton *button, bool yellow);
    void openSlideshow(const QString &folder);
    void scrollView(int dy);
    void openWithDesktop(const QString &path);
    void selectDrive(const QString &folder);
    void ensureFolderModel();
    void showInFolderList(const QString &folder);

    const common::Services &m_services;
    common::RunningValues &m_values;
    ViewerState &m_viewerState;
    sys::MessagePump &m_pump;
    QString m_commandLine;
    QString m_dir1Path;
    ViewerLayout m_layout;
    PageNavigation m_navigation;
    AutoScroll m_autoScroll;
    QFileSystemModel *m_folderModel = nullptr;
    QWidget *m_central = nullptr;
    std::unique_ptr<PictureCommands> m_commands;
    web::PageCapture *m_capture = nullptr;
    web::PagePrinting *m_printing = nullptr;
    MediaSearch *m_mediaSearch = nullptr;
    QHash<QString, QAction *> m_entries;
    QPointer<browser::frame::Frmmain> m_browser;
    bool m_splitterDragging = false;
    bool m_closing = false;
};

}
