#include "common/FileNames.h"

#include "common/Paths.h"

#include <gtest/gtest.h>

namespace {

// A path travels from the page (a file: address) to the file system and back to the desktop (a
// file: address) without losing a byte, whether or not its name is UTF-8.
TEST(FileNames, FileAddressesKeepEveryByteOfThePath)
{
    struct Case {
        QByteArray bytes; // the path as the file system holds it
        QByteArray address; // its file: address
    };
    const Case cases[] = {
        { "/p/a.jpg", "file:///p/a.jpg" },
        { "/p/a b#c%d?.jpg", "file:///p/a%20b%23c%25d%3F.jpg" },
        { "/p/\xE5\x9B\xBE.png", "file:///p/%E5%9B%BE.png" },
        { "/p/a\xFF.png", "file:///p/a%FF.png" },
        { "/p/\xC3(\x80.gif", "file:///p/%C3%28%80.gif" },
    };
    for (const Case &c : cases) {
        const QString path = common::decodeFileName(c.bytes);
        const QUrl url = common::fileUrl(path);
        EXPECT_EQ(url.toEncoded(), c.address) << c.bytes.toHex().constData();
        EXPECT_EQ(common::encodeFileName(common::localPathFromUrl(url)), c.bytes) << c.bytes.toHex().constData();
        // The page reports addresses as text.
        EXPECT_EQ(common::encodeFileName(common::localPathFromUrlText(QString::fromLatin1(c.address))), c.bytes)
            << c.bytes.toHex().constData();
    }
    EXPECT_TRUE(common::localPathFromUrl(QUrl(QStringLiteral("https://example.org/a.jpg"))).isEmpty());
    EXPECT_TRUE(common::localPathFromUrlText(QStringLiteral("about:blank")).isEmpty());
}

}
