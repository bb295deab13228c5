#include "browser/page/HeaderBlock.h"

#include <gtest/gtest.h>

namespace {

using namespace browser::page;

QString nul(const char *text)
{
    // '|' stands for the NUL that ends each line.
    return QString::fromLatin1(text).replace(QLatin1Char('|'), QChar(0));
}

TEST(HeaderBlock, LinesOfTheLastResponseInTheirOwnForm)
{
    struct Case {
        const char *name;
        std::string raw;
        const char *block;
    };
    const Case cases[] = {
        { "status and headers",
            "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nServer: a\r\n\r\n",
            "HTTP/1.1 200 OK|Content-Length: 5|Server: a|" },
        { "blanks around the value become one space",
            "HTTP/1.1 200 OK\r\nDate:   Tue  \r\nX:y\r\n\r\n",
            "HTTP/1.1 200 OK|Date: Tue|X: y|" },
        { "a redirect's headers are dropped",
            "HTTP/1.1 302 Found\r\nLocation: /b\r\n\r\nHTTP/1.1 200 OK\r\nServer: b\r\n\r\n",
            "HTTP/1.1 200 OK|Server: b|" },
        { "a folded line joins its header",
            "HTTP/1.1 200 OK\r\nX-Long: one\r\n two\r\n\r\n",
            "HTTP/1.1 200 OK|X-Long: one two|" },
        { "lines without a colon are dropped",
            "HTTP/1.1 200 OK\r\ngarbage\r\n: empty\r\nA: b\n\n",
            "HTTP/1.1 200 OK|A: b|" },
        { "nothing", "", "" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(headerBlockFromRaw(c.raw), nul(c.block)) << c.name;
}

TEST(HeaderBlock, LongerThan1024CharactersIsDropped)
{
    const std::string head = "HTTP/1.1 200 OK\r\nX: ";
    // Status line and NUL: 16; "X: " and NUL: 4.
    const std::string fits = head + std::string(1024 - 20, 'v') + "\r\n\r\n";
    const std::string over = head + std::string(1024 - 19, 'v') + "\r\n\r\n";
    EXPECT_EQ(headerBlockFromRaw(fits).size(), 1024);
    EXPECT_TRUE(headerBlockFromRaw(over).isEmpty());
}

TEST(HeaderBlock, BuilderTellsTheEndOfTheResponse)
{
    HeaderBlockBuilder builder;
    builder.addLine("HTTP/1.1 301 Moved\r\n");
    builder.addLine("location: /x\r\n");
    builder.addLine("\r\n");
    EXPECT_TRUE(builder.complete());
    EXPECT_EQ(builder.statusCode(), 301);
    EXPECT_TRUE(builder.hasLocation());
    builder.addLine("HTTP/2 200\r\n");
    EXPECT_FALSE(builder.complete());
    EXPECT_FALSE(builder.hasLocation());
    EXPECT_EQ(builder.statusCode(), 200);
}

TEST(HeaderValue, FiveNamesTheirCaseAndOffsets)
{
    const QString block = nul("HTTP/1.1 200 OK|X-Content-Type-Options: nosniff|Content-Type: text/html|"
                              "Content-Length: 1234|Date: Tue, 08 Dec 2026|Last-Modified: Mon|Server: Mine|"
                              "x-date: wrong|");
    const QString lower = nul("HTTP/1.1 200 OK|server: Mine|content-length: 5|");
    struct Case {
        QString block;
        const char *name;
        QString value;
    };
    const Case cases[] = {
        { block, "Content-Length", QStringLiteral("1234") },
        { block, "content-length", QStringLiteral("1234") },
        { block, "CONTENT-TYPE", QStringLiteral("text/html") },
        { block, "date", QStringLiteral("Tue, 08 Dec 2026") },
        { block, "Last-Modified", QStringLiteral("Mon") },
        { block, "sErVeR", QStringLiteral("Mine") },
        { block, "Location", QStringLiteral("0") },
        { block, "", block },
        { lower, "server", QStringLiteral("0") },
        { lower, "CONTENT-LENGTH", QStringLiteral("0") },
        { QString(), "", QStringLiteral("0") },
        { QString(), "Server", QStringLiteral("0") },
        { nul("HTTP/1.1 200 OK|Server"), "Server", QString() },
    };
    for (const Case &c : cases)
        EXPECT_EQ(headerValue(c.block, QString::fromLatin1(c.name)), c.value) << c.name;
}

}
