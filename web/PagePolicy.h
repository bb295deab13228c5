#pragma once

#include <QString>
#include <QtGlobal>

namespace web {

// What the pages the suite writes itself (thumbnails, gallery, details, history) may do. They
// never run page scripts: the suite's own scripts run in the application world, which page
// scripts cannot reach. A page that shows text which came from a web server cannot reach local
// files either.
enum class PageText {
    Local, // only names and values of this computer
    FromWeb, // titles, addresses or other text a web server chose
};

struct GeneratedPagePolicy {
    bool pageScripts = false;
    bool localFilesReachable = false; // other file:// addresses (pictures), from a file:// page
    QString textEncoding; // the page file's charset
};

GeneratedPagePolicy generatedPagePolicy(PageText text);

// Local pictures larger than this are never handed to a page: the engine would read them whole.
constexpr qint64 kLargestPagePicture = qint64(512) * 1024 * 1024;

// True when path is a regular file larger than bound. Only its status is read, never the file.
bool isOversizedFile(const QString &path, qint64 bound = kLargestPagePicture);

}
