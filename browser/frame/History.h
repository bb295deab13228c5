#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace browser::frame {

// The visit history: one day file per day in the data folder's "History/", each row of it one
// table row of the history page. Rows name the page's address and at most 38 characters of its
// title, both escaped, so a page's title never becomes markup of the local history page.

// "History/2021-11-1" for 1 November 2021: no leading zeros.
QString dayFileStem(const QDate &date);
// dataFolder + "History/" + stem + ".dat" and ".html" (dataFolder ends with "/").
QString dayFilePath(const QString &dataFolder, const QDate &date);
QString historyPagePath(const QString &dataFolder, const QDate &date);

// The first `count` characters of a text; a character made of two UTF-16 units is never split.
QString leftCharacters(const QString &text, int count);

// Text for HTML: "<", ">", "&" and '"' become character references.
QString escapeHtml(const QString &text);

// The date and time of a visit in the locale's short date form, a space, and the time.
QString visitTimeText(const QDateTime &when, const QLocale &locale = QLocale::system());

// One history row: "<tr>  <td>" time "</td>  <td>  <a href=" quoted address " target=_blank>"
// title (first 38 characters) "</a>  </td>  <td>  Nimbrow</td> </tr>". An address the browser
// would not open from its records (javascript:, data:, ...) links to "about:blank".
QString historyRow(const QString &timeText, const QString &address, const QString &title);

// A row as read from a day file, in the form historyRow writes. Rows of older files (an unquoted,
// unescaped address and title) are written again with escaping; a line that is not a row is shown
// as escaped text.
QString sanitizedHistoryLine(const QString &line);

// Appends `text` and CR LF to a day file in the locale's charset: attributes cleared before, hidden
// and system set after; the "History" folder is made when missing. False when the write failed.
bool appendToDayFile(const QString &path, const QString &text, QString *error = nullptr);

// The history page's fixed head, lines joined by CR LF; it declares `charset`.
QString historyPageHead(const QString &charset);

// The history page for the bytes of a day file (UTF-8 or GBK): the head, then at most the first
// 1000 lines of the file (empty lines count but are not shown), then the table's end.
QString historyPageText(const QByteArray &dayFile, const QString &charset);

// Builds today's history page from today's day file (a missing file gives an empty table) and
// writes it beside it, replacing it at once. Returns the page's path, empty when it could not be
// written.
QString writeHistoryPage(const QString &dataFolder, const QDate &date, QString *error = nullptr);

}
