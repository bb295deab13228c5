#pragma once

#include "browser/page/Harvester.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace common {
struct RunningValues;
}

namespace browser::page {

// Fetches the address into the file; done(true) once the file holds the whole body. Called once.
using FetchFunction = std::function<void(const QString &url, const QString &file, std::function<void(bool)> done)>;

// The automatic-saving bar of the page window: width in twips, back colour as 0xBBGGRR, caption.
struct SaveBar {
    int width = 2400;
    int backColour = 0xFFFFFF;
    QString caption = QStringLiteral("  自动下载图片 0");
    bool operator==(const SaveBar &) const = default;
};

// The saving passes of one page window. A normal pass writes each large picture element of the page
// (over 500 x 500) that the window has not saved since its last navigation as a JPEG of quality 80
// into the download folder; the fallback pass fetches the page's ".jpg" addresses and keeps files
// of at least the smallest size. Passes run as event-driven steps: the event loop turns between two
// pictures, so other windows' timers and a close request run in between. One pass of all windows
// runs at a time (the shared busy flag); a window never re-enters its own pass.
class PictureSaver : public QObject {
    Q_OBJECT
public:
    struct Operations {
        // Asks the page for its picture elements in document order; done is called once.
        std::function<void(std::function<void(QList<PageImage>)> done)> queryImages;
        // Takes the picture of the element as the page has it and writes it as a JPEG file of
        // quality 80; done(true) when the file is whole. Called once.
        std::function<void(const PageImage &image, const QString &file, std::function<void(bool)> done)> takePicture;
        // Optional: the picture after the one being taken, so that its bytes can be on their way
        // meanwhile.
        std::function<void(const PageImage &image)> prefetch;
        // The fallback pass's fetch.
        FetchFunction fetch;
        // The clock of the file names.
        std::function<QDateTime()> now;
    };

    static constexpr int kMostSavedSources = 200;
    // Pictures whose bytes may be on their way while one is taken.
    static constexpr int kPrefetchDepth = 3;
    // A page that does not answer its picture query within this time has no pictures.
    static constexpr int kQueryTimeoutMs = 10000;

    PictureSaver(common::RunningValues &values, Operations operations, QObject *parent = nullptr);
    // A window that goes in the middle of a pass leaves the other windows free to save.
    ~PictureSaver() override;

    enum class Start {
        Started,
        AlreadySaving, // this window's pass runs
        Busy, // another window's pass runs
    };
    // Resets the window for a new page: saved addresses, ticks of the labels, the bar.
    void BeforeDownload();
    // One normal pass into path ("/" appended when missing), which becomes the download folder.
    Start SavePictureDisk(const QString &path);
    // The fallback pass into the download folder.
    Start SavePictureForSize();
    // BeforeDownload, a normal pass into the download folder and, when it found fewer than two
    // pictures, the fallback pass. runEnded follows in every case.
    Start AutoDownLoadImag();
    // The window is asked to close: true when a pass runs; it then stops at its next step and
    // passEnded follows.
    bool deferClose();

    bool SavingPictures() const { return m_saving; }
    bool CloseRequested() const { return m_closeRequested; }
    int FindImag() const { return m_findImag; }
    int SavedCount() const { return m_savedCount; }
    const QStringList &SavedSources() const { return m_savedSources; }
    const SaveBar &bar() const { return m_bar; }
    // The files written by this window, in order.
    const QStringList &savedFiles() const { return m_savedFiles; }

signals:
    // The picture count label's text.
    void foundText(const QString &text);
    void barChanged(const SaveBar &bar);
    // A pass ended or stopped early.
    void passEnded();
    // An AutoDownLoadImag run ended.
    void runEnded();

private:
    enum class Pass { None, Normal, Fallback };
    void begin(Pass pass);
    void query();
    void onImages(int serial, const QList<PageImage> &images);
    void normalStep();
    void normalSave(const PageImage &image);
    void fallbackStep();
    void fallbackFetched(const QString &work, bool ok);
    void afterYield(void (PictureSaver::*next)());
    void stopEarly();
    void endNormal();
    void endFallback();
    void finish();
    void setBar(int width, int colour, const QString &caption);
    QDateTime now() const;

    common::RunningValues &m_values;
    Operations m_ops;
    Pass m_pass = Pass::None;
    bool m_saving = false;
    bool m_closeRequested = false;
    bool m_autoRun = false;
    int m_serial = 0;
    int m_findImag = 0;
    int m_fallbackBar = 0;
    int m_savedCount = 0;
    QStringList m_savedSources;
    QStringList m_savedFiles;
    QList<PageImage> m_images;
    qsizetype m_next = 0;
    SaveBar m_bar;
};

}
