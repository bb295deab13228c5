#pragma once

#include <QString>

#include <functional>

class QObject;

namespace browser::page {

// Fetches url into file with a DownLoad (see DownLoad.h for the safety rules): the file appears
// whole or not at all. maxBytes limits the body (DownLoad::kPictureByteLimit for pictures, a
// negative value for none). An answer with an error status (404, 500, ...) is a failure and
// writes nothing. With replaceExisting false an existing file is never replaced, and
// the fetch then fails. done(ok) is called once, from the event loop, unless context is
// destroyed first, which also ends the transfer.
void fetchToFile(const QString &url,
    const QString &file,
    qint64 maxBytes,
    QObject *context,
    std::function<void(bool ok)> done,
    bool replaceExisting = true);

// The largest page HtmlStr reads.
inline constexpr qint64 kPageTextLimit = qint64(32) * 1024 * 1024;

// The body of the page at url as text (UTF-8, else GBK), handed to done from the event loop;
// empty text on any failure. Any answer of the server counts, also an error page. Not called when
// context is destroyed first.
void HtmlStr(const QString &url, QObject *context, std::function<void(const QString &text)> done);

}
