#include "common/TextCodec.h"
#include "web/AppScripts.h"
#include "web/EngineLogging.h"
#include "web/PagePolicy.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(AppScripts, EveryScriptIsOneFunctionExpression)
{
    const QStringList names = web::appScriptNames();
    for (const char *wanted : { "zoom", "scroll", "capture-measure", "capture-restore", "capture-frame" })
        EXPECT_TRUE(names.contains(QLatin1String(wanted))) << wanted;
    for (const QString &name : names) {
        const QString text = web::appScriptText(name);
        // After its leading comment the file is one parenthesised function and nothing else.
        QString code;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().startsWith(QLatin1String("//")))
                code += line + QLatin1Char('\n');
        }
        code = code.trimmed();
        EXPECT_TRUE(code.startsWith(QLatin1String("(function (")) && code.endsWith(QLatin1Char(')')))
            << qPrintable(name);
        EXPECT_FALSE(code.endsWith(QLatin1String(";)"))) << qPrintable(name);
    }
}

TEST(AppScripts, CallsPassArgumentsAsJson)
{
    struct Case {
        const char *name;
        QVariantList args;
        const char *tail;
    };
    const Case cases[] = {
        { "zoom", { 110 }, "\n).apply(null, [110])" },
        { "scroll", { 0, -150 }, "\n).apply(null, [0,-150])" },
        { "capture-frame", {}, "\n).apply(null, [])" },
        // A text argument cannot leave its string.
        { "zoom", { QStringLiteral("1')});alert('x") }, "\n).apply(null, [\"1')});alert('x\"])" },
    };
    for (const Case &c : cases) {
        const QString call = web::appScriptCall(QLatin1String(c.name), c.args);
        EXPECT_TRUE(call.startsWith(QLatin1Char('(') + web::appScriptText(QLatin1String(c.name)))) << c.name;
        EXPECT_TRUE(call.endsWith(QLatin1String(c.tail))) << qPrintable(call);
    }
    for (const char *unknown : { "", "missing", "../scripts/zoom", "zoom.js" }) {
        EXPECT_TRUE(web::appScriptText(QLatin1String(unknown)).isEmpty()) << unknown;
        EXPECT_TRUE(web::appScriptCall(QLatin1String(unknown)).isEmpty()) << unknown;
    }
}

TEST(GeneratedPagePolicy, NoPageScriptsAndNoLocalFilesForWebText)
{
    const web::GeneratedPagePolicy local = web::generatedPagePolicy(web::PageText::Local);
    const web::GeneratedPagePolicy fromWeb = web::generatedPagePolicy(web::PageText::FromWeb);
    EXPECT_FALSE(local.pageScripts);
    EXPECT_FALSE(fromWeb.pageScripts);
    EXPECT_FALSE(fromWeb.localFilesReachable);
    EXPECT_EQ(local.textEncoding, common::localCharsetName());
    EXPECT_EQ(fromWeb.textEncoding, common::localCharsetName());
}

TEST(OversizedFile, OnlyRegularFilesAboveTheBoundAndWithoutReadingThem)
{
    QTemporaryDir dir;
    const auto sparse = [&](const QString &name, qint64 size) {
        const QString path = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, "\xFF\xD8\xFF", 3), 3);
        EXPECT_EQ(::ftruncate(fd, off_t(size)), 0);
        ::close(fd);
        return path;
    };
    const QString giant = sparse(QStringLiteral("giant.jpg"), qint64(10) << 30);
    const QString atBound = sparse(QStringLiteral("bound.jpg"), web::kLargestPagePicture);
    const QString above = sparse(QStringLiteral("above.jpg"), web::kLargestPagePicture + 1);
    const QString small = sparse(QStringLiteral("small.jpg"), 4096);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("folder.jpg"))));
    ASSERT_TRUE(QFile::link(giant, dir.filePath(QStringLiteral("link.jpg"))));
    // A file that cannot be opened for reading still has a size.
    ASSERT_TRUE(QFile::setPermissions(giant, QFileDevice::WriteOwner));

    struct Case {
        QString path;
        bool oversized;
    };
    const Case cases[] = {
        { giant, true },
        { dir.filePath(QStringLiteral("link.jpg")), true },
        { above, true },
        { atBound, false },
        { small, false },
        { dir.filePath(QStringLiteral("folder.jpg")), false },
        { dir.filePath(QStringLiteral("missing.jpg")), false },
        { QString(), false },
        { QStringLiteral("/dev/zero"), false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(web::isOversizedFile(c.path), c.oversized) << qPrintable(c.path);
    EXPECT_TRUE(web::isOversizedFile(small, 4095));
}

TEST(EngineLogging, StartUpNotesOffWarningsOn)
{
    web::quietEngineLogging();
    for (const char *name : { "qt.webenginecontext", "qt.webengine.compositor" }) {
        QLoggingCategory category(name);
        EXPECT_FALSE(category.isInfoEnabled()) << name;
        EXPECT_FALSE(category.isDebugEnabled()) << name;
        EXPECT_TRUE(category.isWarningEnabled()) << name;
        EXPECT_TRUE(category.isCriticalEnabled()) << name;
    }
    QLoggingCategory other("velmora.other");
    EXPECT_TRUE(other.isInfoEnabled());
    QLoggingCategory::setFilterRules(QString());
}

}
