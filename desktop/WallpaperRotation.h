#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

namespace desktop {

// How often the wallpaper changes.
inline constexpr int kChangeIntervalMs = 10000;
// An old wallpaper file of this many bytes or fewer is not put back at exit.
inline constexpr qint64 kRestoreMinBytes = 20000;

// The index after `index` in a list of `count` pictures: one further, back to 0 at the end.
int nextWallpaperIndex(int index, int count);
// "上一幅图片" steps back two (never below 0); the change that follows adds one again.
int goBackIndex(int index);
// The stored "FileIndex": -1 when missing or damaged, so the first change shows picture 0.
int parseWallpaperIndex(const QString &stored);
// True when the file exists and is larger than kRestoreMinBytes.
bool mayRestoreWallpaper(const QString &path);

// Desktops that keep showing a cached picture when the wallpaper setting names the same file
// again (GNOME and its relatives, KDE Plasma, Xfce) get a new file name at every change; feh and
// sway read the file again each time they are asked. `session` is XDG_CURRENT_DESKTOP.
bool desktopCachesByName(const QString &session);
// The file name of the composed wallpaper of the change numbered `changeNumber` (from 0):
// "Desktop.bmp", alternating with "Desktop-2.bmp" on desktops that cache by name.
QString wallpaperFileName(const QString &session, quint64 changeNumber);
// True for the names wallpaperFileName gives, so the program never takes its own composed
// picture for the user's wallpaper.
bool isComposedWallpaper(const QString &path, const QString &dataFolder);

// The preview: the picture fitted to the box's height, centred across it, on black.
QImage previewPicture(const QImage &picture, QSize box);

// A 24-bit bitmap file (bottom-up rows, blue green red, each padded to 4 bytes). The rows are
// converted in `threads` bands at once; 0 chooses one band per processor core (at most 4) for a
// picture of a megapixel or more, else one. The bytes are the same for any number of bands.
QByteArray encodeBmp24(const QImage &image, int threads = 0);

// One change composed away from the user-interface thread: the picture decoded, fitted to the
// screen and the preview box, and (when bmpPath is not empty) the screen picture written there
// atomically as a bitmap. A picture larger than the screen shows it, in a format whose codec
// decodes parts reduced (JPEG), is decoded only down to the last row the screen shows, scaled
// once straight to its place on the screen, while a second thread decodes it again reduced for
// the preview. Anything else is decoded once, scaled down to what the screen shows of it.
struct ComposedWallpaper {
    bool ok = false;
    QImage preview;
    QImage canvas;
    QString writtenPath; // empty when nothing was written
};
ComposedWallpaper composeWallpaper(const QString &picturePath, QSize screen, QSize previewBox, const QString &bmpPath);

// The rotation's own picture list (the viewer's list is never touched), its folder and index,
// and the bounded retry: a picture that fails rebuilds the list and allows one more attempt in
// the same tick, never more, so an unreadable folder cannot loop.
class WallpaperRotation {
public:
    using Search = std::function<QStringList(const QString &folder)>;
    explicit WallpaperRotation(Search search);

    const QString &folder() const { return m_folder; }
    const QStringList &pictures() const { return m_pictures; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // The folder (ending with "/") becomes the rotation's folder and is listed.
    void useFolder(const QString &folder);
    // Lists `folder`; when it has pictures it becomes the rotation's folder and true is returned,
    // otherwise the current folder is listed again and false is returned.
    bool switchFolder(const QString &folder);
    void rebuild();

    // Starts a change: the next picture's path, or empty when the list is empty.
    QString beginChange();
    // The picture of the change failed: the list is rebuilt and the next picture's path is
    // returned for one more attempt, or empty when this change has already had its retry.
    QString changeFailed();
    void goBack() { m_index = goBackIndex(m_index); }

private:
    Search m_search;
    QString m_folder;
    QStringList m_pictures;
    int m_index = -1;
    int m_failures = 0;
};

}
