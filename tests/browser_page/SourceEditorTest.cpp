#include "browser/page/SourceEditor.h"

#include "browser/page/PageCaptureRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace browser::page;

TEST(SourceSearch, FindsEveryMatchIgnoringCaseThenReportsAndStartsOver)
{
    const QString text = QStringLiteral("<DIV>a</div><Div>b</dIv>");
    SourceSearch search;
    struct Expected {
        bool found;
        qsizetype start;
        bool addWord;
        QString message;
    };
    const Expected steps[] = {
        { true, 1, true, {} },
        { true, 8, false, {} },
        { true, 13, false, {} },
        { true, 20, false, {} },
        { false, 0, false, QStringLiteral("关键词搜索完毕！共计 4 个") },
        // The next search starts at the top again.
        { true, 1, true, {} },
    };
    for (const Expected &e : steps) {
        const SourceSearch::Step step = search.findNext(text, QStringLiteral("div"));
        EXPECT_EQ(step.found, e.found);
        if (e.found) {
            EXPECT_EQ(step.start, e.start);
            EXPECT_EQ(step.length, 3);
        }
        EXPECT_EQ(step.addWord, e.addWord);
        EXPECT_EQ(step.message, e.message);
    }
}

TEST(SourceSearch, EdgeCases)
{
    SourceSearch search;
    // A word that is not there: the message counts 0.
    EXPECT_EQ(search.findNext(QStringLiteral("abc"), QStringLiteral("x")).message,
        QStringLiteral("关键词搜索完毕！共计 0 个"));
    // An empty word does nothing.
    const SourceSearch::Step empty = search.findNext(QStringLiteral("abc"), QString());
    EXPECT_TRUE(empty.ignored);
    EXPECT_FALSE(empty.found);
    EXPECT_TRUE(empty.message.isEmpty());
    // A reset (any change) starts at the top.
    search.findNext(QStringLiteral("a a"), QStringLiteral("a"));
    EXPECT_EQ(search.matches(), 1);
    search.reset();
    EXPECT_EQ(search.matches(), 0);
    EXPECT_EQ(search.findNext(QStringLiteral("a a"), QStringLiteral("a")).start, 0);
}

TEST(SourceEditor, ReplaceAllComparesCaseExactly)
{
    const struct {
        const char *name;
        QString text, word, replacement, expected;
    } cases[] = {
        { "upper-case word leaves lower-case text",
            QStringLiteral("div DIV Div"),
            QStringLiteral("DIV"),
            QStringLiteral("span"),
            QStringLiteral("div span Div") },
        { "every occurrence",
            QStringLiteral("a-a-a"),
            QStringLiteral("a"),
            QStringLiteral("bb"),
            QStringLiteral("bb-bb-bb") },
        { "empty replacement does nothing",
            QStringLiteral("abc"),
            QStringLiteral("b"),
            QString(),
            QStringLiteral("abc") },
        { "empty word does nothing", QStringLiteral("abc"), QString(), QStringLiteral("x"), QStringLiteral("abc") },
    };
    for (const auto &c : cases)
        EXPECT_EQ(replaceAllExact(c.text, c.word, c.replacement), c.expected) << c.name;
}

TEST(SourceEditor, OpenedLinesAllEndInCrLf)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        { "last line without an end", "a\nb", QStringLiteral("a\r\nb\r\n") },
        { "line feeds", "a\nb\n", QStringLiteral("a\r\nb\r\n") },
        { "CR LF kept once", "a\r\nb\r\n", QStringLiteral("a\r\nb\r\n") },
        { "a lone CR ends a line", "a\rb", QStringLiteral("a\r\nb\r\n") },
        { "empty lines stay", "a\n\nb", QStringLiteral("a\r\n\r\nb\r\n") },
        { "empty file", "", QString() },
        { "GBK", QByteArray("\xd6\xd0\xce\xc4\n"), QStringLiteral("中文\r\n") },
    };
    for (const auto &c : cases)
        EXPECT_EQ(linesWithCrLf(c.bytes), c.expected) << c.name;
}

TEST(SourceEditor, SavedTextEndsInCrLfWithCrLfLines)
{
    EXPECT_EQ(sourceFileBytes(QStringLiteral("<p>x</p>")), QByteArray("<p>x</p>\r\n"));
    EXPECT_EQ(sourceFileBytes(QStringLiteral("a\nb")), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(sourceFileBytes(QStringLiteral("a\r\nb")), QByteArray("a\r\nb\r\n"));
}

TEST(SourceEditor, WebTextIsWrittenAsARegularFileNeverThroughALink)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside.txt"));
    QFile target(outside);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("keep me");
    target.close();
    const QString chosen = dir.filePath(QStringLiteral("chosen.txt"));
    ASSERT_TRUE(QFile::link(outside, chosen));

    EXPECT_TRUE(writeWebTextFile(chosen, "<html>\r\n"));
    const QFileInfo info(chosen);
    EXPECT_FALSE(info.isSymLink());
    EXPECT_TRUE(info.isFile());
    QFile written(chosen);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("<html>\r\n"));
    QFile kept(outside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));

    // A folder, a device, a path below a file: nothing written.
    EXPECT_FALSE(writeWebTextFile(dir.path(), "x"));
    EXPECT_FALSE(writeWebTextFile(QStringLiteral("/dev/full"), "x"));
    EXPECT_FALSE(writeWebTextFile(outside + QStringLiteral("/below"), "x"));
}

TEST(SourceEditor, LayoutInTwips)
{
    const SourceEditorLayout l = sourceEditorLayout(12000, 8000);
    EXPECT_EQ(l.frame1Left, 8350);
    EXPECT_EQ(l.text3Width, 7300);
    EXPECT_EQ(l.text2Width, 7300);
    EXPECT_EQ(l.text1Width, 11920);
    EXPECT_EQ(l.text1Height, 7380);
}

TEST(PageCapture, ProposedNameIsCutAtTheFirstDash)
{
    const struct {
        QString caption;
        std::optional<QString> expected;
    } cases[] = {
        { QStringLiteral("Page One - Nimbrow "), QStringLiteral("Page One.jpg") },
        { QStringLiteral("新闻 - 体育 - Nimbrow "), QStringLiteral("新闻.jpg") },
        { QStringLiteral("ab-cd - Nimbrow "), QStringLiteral("a.jpg") },
        { QStringLiteral(" Nimbrow "), std::nullopt },
        { QStringLiteral("-x"), std::nullopt },
    };
    for (const auto &c : cases)
        EXPECT_EQ(captureFileName(c.caption), c.expected) << c.caption.toStdString();
}

TEST(PageCapture, SafeModeRefusesUnlessTheGalleryIsShown)
{
    EXPECT_FALSE(captureAllowed(false, true));
    EXPECT_TRUE(captureAllowed(true, true));
    EXPECT_TRUE(captureAllowed(false, false));
    EXPECT_EQ(kCaptureJpegQuality, 80);
}

}
