#include "browser/frame/History.h"

#include "common/FileAttributes.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using velmora::test::readAll;

namespace {

using namespace browser::frame;

const QString kTime = QStringLiteral("2021/11/1 9:05:07");

// The table rows of a history page, in order.
QStringList pageRows(const QString &page)
{
    QStringList rows;
    for (const QString &line : page.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1String("<tr>  <td>")))
            rows.append(line);
    }
    return rows;
}

// The link text of a row.
QString rowTitle(const QString &row)
{
    static const QRegularExpression title(QStringLiteral("target=_blank>(.*)</a>"));
    return title.match(row).captured(1);
}

TEST(History, DayFilesAreNamedWithoutLeadingZeros)
{
    EXPECT_EQ(dayFileStem(QDate(2021, 11, 1)), QStringLiteral("2021-11-1"));
    EXPECT_EQ(dayFileStem(QDate(2022, 1, 9)), QStringLiteral("2022-1-9"));
    EXPECT_EQ(dayFilePath(QStringLiteral("/d/Velmora/"), QDate(2021, 11, 1)),
        QStringLiteral("/d/Velmora/History/2021-11-1.dat"));
    EXPECT_EQ(historyPagePath(QStringLiteral("/d/Velmora/"), QDate(2021, 11, 1)),
        QStringLiteral("/d/Velmora/History/2021-11-1.html"));
    EXPECT_EQ(visitTimeText(QDateTime(QDate(2021, 11, 1), QTime(9, 5, 7)), QLocale(QLocale::Chinese, QLocale::China)),
        QStringLiteral("2021/11/1 9:05:07"));
}

TEST(History, RowsCutTitlesAt38CharactersAndEscapeWhatThePageSent)
{
    struct Case {
        const char *name;
        QString address;
        QString title;
        QString href;
        QString shownTitle;
    };
    const QString forty = QStringLiteral("0123456789012345678901234567890123456789");
    const QString chinese = QString(40, QChar(0x98CE)); // 40 × 风
    const Case cases[] = {
        { "plain",
            QStringLiteral("http://a.example/"),
            QStringLiteral("风景"),
            QStringLiteral("http://a.example/"),
            QStringLiteral("风景") },
        { "40 characters",
            QStringLiteral("http://a.example/"),
            forty,
            QStringLiteral("http://a.example/"),
            forty.left(38) },
        { "40 Chinese characters",
            QStringLiteral("http://a.example/"),
            chinese,
            QStringLiteral("http://a.example/"),
            QString(38, QChar(0x98CE)) },
        { "hostile title",
            QStringLiteral("http://a.example/?a=1&b=2"),
            QStringLiteral("<script>alert(\"x\")</script>"),
            QStringLiteral("http://a.example/?a=1&amp;b=2"),
            QStringLiteral("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;") },
        // The cut comes first, so an escape is never split.
        { "cut before escaping",
            QStringLiteral("http://a.example/"),
            QString(37, QLatin1Char('a')) + QStringLiteral("&&"),
            QStringLiteral("http://a.example/"),
            QString(37, QLatin1Char('a')) + QStringLiteral("&amp;") },
        { "quote in address",
            QStringLiteral("http://a.example/\" onclick=\"x"),
            QStringLiteral("t"),
            QStringLiteral("http://a.example/&quot; onclick=&quot;x"),
            QStringLiteral("t") },
        { "script address",
            QStringLiteral("javascript:alert(1)"),
            QStringLiteral("t"),
            QStringLiteral("about:blank"),
            QStringLiteral("t") },
    };
    for (const Case &c : cases) {
        const QString row = historyRow(kTime, c.address, c.title);
        EXPECT_EQ(row,
            QStringLiteral("<tr>  <td>2021/11/1 9:05:07</td>  <td>  <a href=\"") + c.href
                + QStringLiteral("\" target=_blank>") + c.shownTitle
                + QStringLiteral("</a>  </td>  <td>  Nimbrow</td> </tr>"))
            << c.name;
        // Read back from a day file, a row stays as it was written.
        EXPECT_EQ(sanitizedHistoryLine(row), row) << c.name;
    }
}

TEST(History, CutsNeverSplitACharacter)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8C\x84"); // one character, two UTF-16 units
    const QString title = QString(37, QLatin1Char('a')) + emoji;
    EXPECT_EQ(leftCharacters(title, 38), QString(37, QLatin1Char('a')));
    EXPECT_EQ(leftCharacters(title, 39), title);
    EXPECT_EQ(leftCharacters(QStringLiteral("abc"), 38), QStringLiteral("abc"));
    EXPECT_EQ(leftCharacters(QStringLiteral("abc"), 0), QString());
}

TEST(History, OldRowsAndStrayLinesAreShownWithoutTheirMarkup)
{
    const QString old =
        QStringLiteral("<tr>  <td>2021-11-1 9:05:07</td>  <td>  <a href=http://a.example/?a=1&b=2 "
                       "target=_blank><img src=x onerror=alert(1)></a>  </td>  <td>  Nimbrow</td> </tr>");
    EXPECT_EQ(sanitizedHistoryLine(old),
        QStringLiteral("<tr>  <td>2021-11-1 9:05:07</td>  <td>  <a href=\"http://a.example/?a=1&amp;b=2\" "
                       "target=_blank>&lt;img src=x onerror=alert(1)&gt;</a>  </td>  <td>  Nimbrow</td> </tr>"));
    EXPECT_EQ(sanitizedHistoryLine(QStringLiteral("<script>alert(1)</script>")),
        QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;"));
}

TEST(History, ThePageShowsTheFirst1000LinesOfTheDayFileInOrder)
{
    struct Case {
        const char *name;
        QString separator; // after each row
        int rows;
        int shown;
    };
    const Case cases[] = {
        { "1500 rows", QStringLiteral("\r\n"), 1500, 1000 },
        { "empty lines count", QStringLiteral("\r\n\r\n"), 1500, 500 },
        { "LF only", QStringLiteral("\n"), 20, 20 },
        { "empty file", QStringLiteral("\r\n"), 0, 0 },
    };
    for (const Case &c : cases) {
        QString file;
        for (int i = 0; i < c.rows; ++i)
            file += historyRow(kTime, QStringLiteral("http://a.example/%1").arg(i), QStringLiteral("row %1").arg(i))
                + c.separator;
        const QString page = historyPageText(file.toUtf8(), QStringLiteral("UTF-8"));
        const QStringList rows = pageRows(page);
        ASSERT_EQ(rows.size(), c.shown) << c.name;
        for (int i = 0; i < rows.size(); ++i)
            ASSERT_EQ(rowTitle(rows[i]), QStringLiteral("row %1").arg(i)) << c.name;
        EXPECT_TRUE(page.endsWith(QStringLiteral("\r\n</table></body></html>\r\n"))) << c.name;
    }
}

TEST(History, ThePageHeadIsFixedAndDeclaresItsCharset)
{
    const QString page = historyPageText(QByteArray(), QStringLiteral("UTF-8"));
    const QStringList lines = page.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 20);
    EXPECT_EQ(lines[0],
        QStringLiteral("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"));
    EXPECT_EQ(lines[1], QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\">"));
    EXPECT_EQ(lines[3], QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />"));
    EXPECT_EQ(lines[4], QStringLiteral("<title>网站访问历史</title>"));
    EXPECT_EQ(lines[11], QString());
    EXPECT_EQ(lines[14], QStringLiteral("  <tr>    <td width=\"200\"><span class=\"STYLE1\">时间</span></td>     "));
    EXPECT_EQ(lines[16], QStringLiteral("  <td width=\"180\"><span class=\"STYLE1\">注释</span></td>   "));
    EXPECT_EQ(lines[17], QStringLiteral("  </tr>"));
    // Head, CR LF, the empty body, CR LF, the end.
    EXPECT_EQ(lines[18], QString());
    EXPECT_EQ(lines[19], QStringLiteral("</table></body></html>"));
}

TEST(History, AGbkDayFileStillReads)
{
    // "风景" in GBK, in a row written by an older version (unquoted address).
    const QByteArray gbk =
        QByteArray("<tr>  <td>2021-11-1 9:05:07</td>  <td>  <a href=http://a.example/ target=_blank>")
        + QByteArray("\xB7\xE7\xBE\xB0") + QByteArray("</a>  </td>  <td>  Nimbrow</td> </tr>\r\n\r\n");
    const QStringList rows = pageRows(historyPageText(gbk, QStringLiteral("UTF-8")));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rowTitle(rows[0]), QStringLiteral("风景"));
    EXPECT_TRUE(rows[0].contains(QStringLiteral("href=\"http://a.example/\"")));
}

TEST(History, DayFilesAreAppendedWithCrLfAndMarkedHiddenAndSystem)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    const QDate day(2021, 11, 1);
    const QString path = dayFilePath(data, day);
    const QString first = historyRow(kTime, QStringLiteral("http://a.example/"), QStringLiteral("中文标题")) + "\r\n";
    ASSERT_TRUE(appendToDayFile(path, first));
    ASSERT_TRUE(appendToDayFile(path, QStringLiteral("second")));
    EXPECT_EQ(readAll(path), (first + QStringLiteral("\r\nsecond\r\n")).toUtf8());
    EXPECT_EQ(common::fileAttributes(path) & (common::AttrHidden | common::AttrSystem),
        common::AttrHidden | common::AttrSystem);

    const QString page = writeHistoryPage(data, day);
    ASSERT_EQ(page, historyPagePath(data, day));
    const QString text = QString::fromUtf8(readAll(page));
    ASSERT_EQ(pageRows(text).size(), 1);
    EXPECT_EQ(rowTitle(pageRows(text)[0]), QStringLiteral("中文标题"));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nsecond\r\n"))); // a stray line, as text

    // Another day has no file: an empty table.
    const QString empty = writeHistoryPage(data, day.addDays(1));
    ASSERT_FALSE(empty.isEmpty());
    EXPECT_TRUE(pageRows(QString::fromUtf8(readAll(empty))).isEmpty());
}

TEST(History, WritesThatCannotHappenAreReported)
{
    QTemporaryDir dir;
    // The data folder is a regular file: neither the day file nor the page can be made.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString data = blocker + QLatin1Char('/');
    QString error;
    EXPECT_FALSE(appendToDayFile(dayFilePath(data, QDate(2021, 11, 1)), QStringLiteral("row"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(writeHistoryPage(data, QDate(2021, 11, 1)).isEmpty());
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        EXPECT_FALSE(appendToDayFile(QStringLiteral("/dev/full"), QStringLiteral("row")));
    }
}

}
