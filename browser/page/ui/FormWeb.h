#pragma once

#include "browser/frame/cWebBrowser.h"
#include "browser/page/PageRules.h"
#include "browser/page/PageTimers.h"
#include "browser/page/PictureSaver.h"

#include <QHash>
#include <QPointer>
#include <QWebEngineUrlRequestInterceptor>
#include <QWidget>

#include <array>
#include <atomic>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QTimer;
class QWebEngineView;

namespace common {
struct RunningValues;
struct Services;
}
namespace browser::frame {
class ClosedPages;
}
namespace web {
class PageCapture;
class SilentPage;
}

namespace browser::page {

class PageHost;
class PagePictureFetcher;
class PicturePipeline;

// The request filter of one page: media (videos, background sounds) and embedded objects are
// refused while the page's download control refuses them.
class PageRequestFilter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    std::atomic<bool> blockMedia { false };
    std::atomic<bool> blockObjects { false };
    // Requests refused so far.
    std::atomic<int> refused { 0 };
};

// The page window of one browser tab: its page view, the status labels along its bottom edge, the
// selected-text bar and its two timers. It reports titles, addresses and progress to the frame,
// keeps the tab's visit history and records the page among the closed pages when it closes.
class FormWeb : public QWidget {
    Q_OBJECT
public:
    // `safeMode`: the safe mode the window opens with (a pop-up of a picture search page opens
    // without it).
    FormWeb(PageHost &host,
        const common::Services &services,
        common::RunningValues &values,
        frame::ClosedPages &closedPages,
        int slot,
        QString intoUrl,
        bool safeMode,
        QWidget *parent);
    ~FormWeb() override;

    // The window's slot and the address it was opened for.
    const int myindex;
    const QString Intourl;
    QString myname;
    bool AutoFind = false;
    int BigSize = 100;
    // The page is being edited (the frame's edit mode).
    bool WebEdit = false;
    int Tu = 0;
    QString ColorSel = QStringLiteral("#FFFFFF");
    // The selected text the bar's commands use.
    QString SelectedText;

    QWebEngineView *Web = nullptr;
    // The gallery view, shown in place of the page while the frame's gallery toggle is on; made
    // the first time a gallery is asked for (null before).
    QWebEngineView *WebPic = nullptr;
    QWebEngineView *galleryView();
    bool GalleryMode = false;
    web::SilentPage *page() const { return m_page; }
    // The gallery's page, made with its view when there is none yet.
    web::SilentPage *galleryPage()
    {
        galleryView();
        return m_galleryPage;
    }
    PictureSaver &saver() const { return *m_saver; }
    std::array<QLabel *, 9> Lab {};
    // The selected-text bar and its two labels, made the first time a selection shows it.
    QFrame *PictMouse = nullptr;
    std::array<QLabel *, 2> LabCopy {};
    QComboBox *Cmb = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    // The download control; made only when the page runs without its scripts.
    std::unique_ptr<frame::cWebBrowser> vCWebMe;
    PageRequestFilter *requestFilter() const { return m_filter; }

    QString LocationURL() const;
    void Navigate(const QString &address);
    // The window shows a page the program wrote from web text (the history page): no page
    // scripts, no reach to other local files.
    void showsGeneratedPage();
    const TabHistory &tabHistory() const { return m_history; }
    const LoadWatch &loadWatch() const { return m_loadWatch; }
    const SaveTicker &saveTicker() const { return m_saveTicker; }

    // Counts the page's large pictures (AutoFind) or collects them into the gallery and shows it.
    // galleryDone follows when the run ended.
    void SearchPic();
    // Writes the gallery of the collected pictures in the columns of Tu and shows it.
    void LoadPic();
    void PictFangZhen();
    void PictLaShen();
    // Shows the gallery in place of the page, or the page again.
    void showGallery(bool on);
    void BeforeDownload();
    void SavePictureDisk(const QString &path);
    void SavePictureForSize();
    void AutoDownLoadImag();
    // How addresses are fetched into files (the fallback pass, pictures the page cannot read); by
    // default the program's downloader with the picture size cap.
    void setFetchFunction(FetchFunction fetch) { m_fetch = std::move(fetch); }
    // Where every page window writes its gallery.
    static QString galleryFilePath();

    void SetActivate();
    void butenableable();
    void PageJavaConctrl();
    // The left button was released at `cursor` (screen pixels): the page's selected text is taken
    // and, when there is some, the selected-text bar shows beside the cursor.
    void zhan(QPoint cursor);
    void hideSelectionBar();
    void Cmb_KeyDown(int key);
    void LabCopy_Click(int index);
    // Gives the keyboard focus to the window's focus control.
    void focusControl();

    // Saves the whole of `view` (the page or its gallery, whichever the tab shows) as one JPEG
    // picture at a path the user chooses, proposed from the frame's caption. Refused with a
    // message in safe mode unless the gallery is shown.
    void ScreenSaveAs(QWebEngineView *view, const QString &frameCaption, bool galleryShown);
    // The capture of the last ScreenSaveAs; nullptr before the first.
    web::PageCapture *capture() const { return m_capture; }

signals:
    // A picture search ended: counted, gallery written, or nothing to show.
    void galleryDone();
    // A deferred close completed.
    void deferredCloseDone();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createSelectionBar();
    void Form_Load(bool safeMode);
    void Form_Resize();
    void Form_QueryUnload();
    void Web_ProgressChange(qint64 progress, qint64 progressMax);
    void Web_TitleChange();
    void Web_DocumentComplete();
    void Timer2_Timer();
    void Timer3_Timer();
    void applyContentSettings(const frame::PageContentSettings &settings, bool refresh);
    void writeAndShowGallery(const QString &html, const QString &countText);
    void takePicture(const PageImage &image, const QString &file, std::function<void(bool)> done);
    void onPassEnded();

    PageHost &m_host;
    const common::Services &m_services;
    common::RunningValues &m_values;
    frame::ClosedPages &m_closedPages;
    web::SilentPage *m_page = nullptr;
    web::SilentPage *m_galleryPage = nullptr;
    PictureSaver *m_saver = nullptr;
    PagePictureFetcher *m_pictures = nullptr;
    FetchFunction m_fetch;
    PicturePipeline *m_ahead = nullptr;
    bool m_timerPass = false;
    PageRequestFilter *m_filter = nullptr;
    web::PageCapture *m_capture = nullptr;
    QPointer<QWebEngineView> m_captureView;
    ProgressText m_progress;
    TitleRules m_titles;
    TabHistory m_history;
    LoadWatch m_loadWatch;
    SaveTicker m_saveTicker;
    PageLayout m_layout;
    bool m_backEnabled = false;
    bool m_forwardEnabled = false;
    bool m_closed = false;
    bool m_destroying = false; // set first thing in the destructor
};

}
