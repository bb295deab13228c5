#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <dirent.h>
#include <memory>
#include <string>
#include <vector>

namespace viewer {

// The media search's categories, by the index of their option in the search window.
enum SearchCategory : int { kSearchPictures = 0, kSearchMusic = 1, kSearchFilms = 2, kSearchFlash = 3 };
inline constexpr int kSearchCategoryCount = 4;

// A search ends by itself once it has found this many files.
inline constexpr int kSearchBound = 20000;

// The option caption of a category ("图片", "音乐", "电影", "Falsh动画").
QString categoryCaption(int Seltype);
// The extension list of a category: comma-separated, led by the entry "find", which never matches.
QString categoryExtensions(int Seltype);

// True when the path's extension (the text after its last ".", or the whole path when it has
// none), lower-cased and written between commas, occurs in the category's list.
bool matchesCategory(const QString &path, int Seltype);
// The first category whose list takes the path, or -1.
int categoryOfPath(const QString &path);
// True for a path whose 8 characters from the 4th on, upper-cased, are "$RECYCLE": the recycle
// bin at the root of a drive ("/d/$RECYCLE.BIN/...").
bool isRecyclePath(const QString &path);

// The progress texts of a search.
QString searchingFolderText(const QString &folder); // "正在搜索目录： " + folder + " ……"
QString foundCountText(int FoundCount); // "发现：" + count
QString pictureTotalText(int FoundCount); // "图片总数：" + count

// The search of a folder tree for the files of one category. The walk runs from the event loop
// in slices of a few milliseconds, so the windows stay usable; it looks at the stop flag before
// every entry, and sets it itself when kSearchBound files were found.
//
// Folders are entered depth-first, each one's entries (files and folders together) in the order
// the viewer lists a folder: ordinal comparison of the upper-cased names. Folders whose names
// start with "." are not entered, links are never followed into folders (a file that is a link is
// listed under its own path), and folders that cannot be read are skipped. A file is taken when
// its extension fits the category, it is a regular file larger than minBytes, and it is not in a
// recycle bin.
class MediaSearch : public QObject {
    Q_OBJECT
public:
    explicit MediaSearch(bool &SearchStop, QObject *parent = nullptr);
    ~MediaSearch() override;

    // The category the search window has chosen; a search started by start() takes it.
    int Seltype = kSearchPictures;

    // Starts a search from `folder` (a running one is ended first, reporting finished()). The
    // stop flag is cleared.
    void start(const QString &folder, qint64 minBytes);
    bool isRunning() const { return m_timer.isActive(); }

    // Processes at most `entries` entries at once; false once the walk has ended. The event
    // loop drives the walk by itself; this is for callers that step it.
    bool advance(int entries);

    // The category of the last search started, and what it found so far, in order.
    int runningCategory() const { return m_category; }
    const QString &startFolder() const { return m_startFolder; }
    int FoundCount() const { return int(m_found.size()); }
    const QStringList &found() const { return m_found; }
    // Every found path followed by CR LF.
    const QString &foundText() const { return m_foundText; }

    // How long one slice of the walk runs before the event loop gets its turn.
    static constexpr int kSliceMs = 5;

signals:
    // A folder is about to be read (the start folder as given, then every subfolder).
    void folderEntered(const QString &folder);
    void fileFound(const QString &path);
    void finished();

private:
    // An entry of a folder being walked: its name lives in the folder's name buffer.
    struct Entry {
        quint32 offset = 0; // of the name (ending with a NUL) in Frame::names
        quint32 key = 0; // for a name beyond ASCII: its upper-cased form in Frame::keys
        quint16 length = 0;
        unsigned char type = 0; // the dirent type
        bool ascii = true;
    };
    struct Frame {
        DIR *dir = nullptr;
        int fd = -1;
        QString folder; // with "/" at the end
        std::string names;
        std::string upper; // the ASCII names upper-cased, at the same offsets
        std::vector<std::u16string> keys;
        std::vector<Entry> entries;
        size_t next = 0;
        const char *name(const Entry &entry) const { return names.data() + entry.offset; }
    };

    void runSlice();
    void enterFolder(int parentFd, const char *name, const QString &folderText);
    void processEntry(Frame &frame, const Entry &entry);
    void considerFile(Frame &frame, const Entry &entry, bool isLink);
    void finish();
    void closeFrames();

    bool &m_stop;
    QTimer m_timer;
    std::vector<std::unique_ptr<Frame>> m_frames;
    QStringList m_found;
    QString m_foundText;
    QString m_startFolder;
    qint64 m_minBytes = 0;
    int m_category = kSearchPictures;
};

}
