#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace browser::page {

// The boxes of "清除浏览记录", in index order, with what each clears on this system.
enum class TraceKind {
    AddressList, // the address box's list
    SearchList, // the search box's list
    VisitHistory, // the data folder's History/ folder
    FormData, // the web profile's form and autofill data
    RecentDocuments, // this program's entries of recently-used.xbel
    Cookies, // the web profile's cookie store
    WebCache, // the web profile's HTTP cache
    TempFiles, // this program's own generated page files
    ClosedPages, // the closed-pages menu entries and their count
    NetworkNeighbourhood, // nothing on this system
};

struct TraceBox {
    QString caption;
    TraceKind kind;
    QString toolTip; // what it clears here
};
const QList<TraceBox> &traceBoxes();

inline const QString kClearDoneMessage = QStringLiteral("清除工作已经完成，请重新启动《Nimbrow》！    ");

// The application names this suite records in the recently-used list.
const QStringList &ownApplicationNames();

// recently-used.xbel without this program's entries: a bookmark registered only by the program's
// own applications goes; a bookmark other programs registered too keeps them and loses only the
// program's application entry. Everything else stays byte for byte. `removed` counts the
// bookmarks dropped.
QByteArray withoutOwnRecentEntries(const QByteArray &xbel, const QStringList &ownApplications, int *removed = nullptr);

// The path of the recently-used list: $XDG_DATA_HOME/recently-used.xbel.
QString recentlyUsedPath();
// Drops the program's entries from the recently-used list (replaced atomically, only when it
// changes). False when the list could not be read or written; a missing list is no failure.
bool clearOwnRecentEntries(const QString &path = recentlyUsedPath());

// Deletes `folder` and everything in it. Symbolic links inside are removed as links: nothing
// outside the folder is read, changed or entered. A `folder` that is itself a link is only unlinked.
bool deleteConfinedFolder(const QString &folder);

// The generated page files of the program ("Tpc.htm", "Quodra.htm", "img.htm") removed from
// `pageFolder`; links are removed as links.
void deleteOwnPageFiles(const QString &pageFolder);

// The web profile's form and autofill store in its storage folder ("Web Data" and its journal),
// removed; links are removed as links. The engine starts a new one on its next start.
void deleteFormData(const QString &storageFolder);

}
