#include "browser/frame/History.h"

#include "browser/frame/AddressRules.h"
#include "common/FileAttributes.h"
#include "common/Files.h"
#include "common/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace browser::frame {

namespace {
    constexpr int kTitleCut = 38;
    constexpr int kPageLineLimit = 1000;

    QString unescapeHtml(QString text)
    {
        text.replace(QLatin1String("&lt;"), QLatin1String("<"));
        text.replace(QLatin1String("&gt;"), QLatin1String(">"));
        text.replace(QLatin1String("&quot;"), QLatin1String("\""));
        text.replace(QLatin1String("&amp;"), QLatin1String("&"));
        return text;
    }

    QString rowFromParts(const QString &timeText, const QString &address, const QString &titleText)
    {
        const QString target = isReopenableAddress(address) ? address : QStringLiteral("about:blank");
        return QStringLiteral("<tr>  <td>") + escapeHtml(timeText) + QStringLiteral("</td>  <td>  <a href=\"")
            + escapeHtml(target) + QStringLiteral("\" target=_blank>") + escapeHtml(titleText)
            + QStringLiteral("</a>  </td>  <td>  Nimbrow</td> </tr>");
    }
}

QString dayFileStem(const QDate &date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString dayFilePath(const QString &dataFolder, const QDate &date)
{
    return dataFolder + QStringLiteral("History/") + dayFileStem(date) + QStringLiteral(".dat");
}

QString historyPagePath(const QString &dataFolder, const QDate &date)
{
    return dataFolder + QStringLiteral("History/") + dayFileStem(date) + QStringLiteral(".html");
}

QString leftCharacters(const QString &text, int count)
{
    if (text.size() <= count)
        return text;
    if (count > 0 && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(std::max(0, count));
}

QString escapeHtml(const QString &text)
{
    return text.toHtmlEscaped();
}

QString visitTimeText(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + when.time().toString(QStringLiteral("H:mm:ss"));
}

QString historyRow(const QString &timeText, const QString &address, const QString &title)
{
    return rowFromParts(timeText, address, leftCharacters(title, kTitleCut));
}

QString sanitizedHistoryLine(const QString &line)
{
    static const QRegularExpression row(QStringLiteral("^<tr>  <td>(.*?)</td>  <td>  <a href=(\"[^\"]*\"|.*?) "
                                                       "target=_blank>(.*)</a>  </td>  <td>  Nimbrow</td> </tr>$"));
    const QRegularExpressionMatch match = row.match(line);
    if (!match.hasMatch())
        return escapeHtml(line);
    QString address = match.captured(2);
    const bool quoted = address.startsWith(QLatin1Char('"'));
    QString timeText = match.captured(1);
    QString title = match.captured(3);
    if (quoted) {
        // Written by historyRow: everything in it was escaped once.
        address = unescapeHtml(address.mid(1, address.size() - 2));
        timeText = unescapeHtml(timeText);
        title = unescapeHtml(title);
    }
    return rowFromParts(timeText, address, title);
}

bool appendToDayFile(const QString &path, const QString &text, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Only a regular file carries the marks: a device or pipe given as the path is left alone.
    if (QFileInfo(path).isFile())
        common::setFileAttributes(path, common::AttrNormal);
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append);
    if (ok) {
        const QByteArray bytes = common::encodeLocal(text + common::kCrLf);
        ok = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
    }
    if (!ok && error)
        *error = file.errorString();
    if (QFileInfo(path).isFile())
        common::setFileAttributes(path, common::AttrHidden | common::AttrSystem);
    return ok;
}

QString historyPageHead(const QString &charset)
{
    const QStringList lines {
        QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"),
        QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\" />").arg(charset),
        QStringLiteral("<title>网站访问历史</title>"),
        QStringLiteral("<style type=\"text/css\">"),
        QStringLiteral("<!--"),
        QStringLiteral(".STYLE1 {color: #FF0000}"),
        QStringLiteral("-->"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QString(),
        QStringLiteral("<body>"),
        QStringLiteral("<table width=\"1000\" border=\"1\" align=\"center\">"),
        QStringLiteral("  <tr>    <td width=\"200\"><span class=\"STYLE1\">时间</span></td>     "),
        QStringLiteral("  <td width=\"600\"><span class=\"STYLE1\">页面标题</span></td>     "),
        QStringLiteral("  <td width=\"180\"><span class=\"STYLE1\">注释</span></td>   "),
        QStringLiteral("  </tr>"),
    };
    return lines.join(common::kCrLf);
}

QString historyPageText(const QByteArray &dayFile, const QString &charset)
{
    const QString text = common::decodeText(dayFile);
    QString body;
    int lineCount = 0;
    qsizetype start = 0;
    while (start < text.size() && lineCount < kPageLineLimit) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        ++lineCount;
        if (!line.isEmpty())
            body += common::kCrLf + sanitizedHistoryLine(line);
        start = end + 1;
    }
    return historyPageHead(charset) + common::kCrLf + body + common::kCrLf + QStringLiteral("</table></body></html>")
        + common::kCrLf;
}

QString writeHistoryPage(const QString &dataFolder, const QDate &date, QString *error)
{
    QByteArray dayBytes;
    QFile day(dayFilePath(dataFolder, date));
    if (day.open(QIODevice::ReadOnly))
        dayBytes = day.readAll();
    QString path = historyPagePath(dataFolder, date);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray page = common::encodeLocal(historyPageText(dayBytes, common::localCharsetName()));
    if (!common::writeFileAtomically(path, page, error))
        return {};
    return path;
}

}
