// Pictures of the favorites dialogs and the page tools for people to look at: written only when
// VELMORA_SCREENSHOT_DIR names a folder.
#include "ServicesUnderTest.h"
#include "browser/frame/ui/Favorites.h"
#include "browser/frame/ui/FormAutoREshua.h"
#include "browser/frame/ui/FormDfg.h"
#include "browser/frame/ui/FormReader.h"
#include "common/SettingsKeys.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void save(QWidget &window, const QString &path)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.grab().save(path));
}

TEST(ToolScreenshots, FavoritesAndPageTools)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOT_DIR is not set";
    QDir().mkpath(folder);
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString dataFolder = data.path() + QLatin1Char('/');
    QDir().mkpath(dataFolder + QStringLiteral("Favorites/网址之家"));
    writeFile(dataFolder + QStringLiteral("Fav.rar"),
        QStringLiteral("风景图片站                     ,https://image.example.cn/?q=山,水\r\n"
                       "Photo daily     ,https://photo.example.com/daily\r\n\r\n"
                       "http://no-comma.example/\r\n"
                       "城市夜景     ,https://night.example.com/city\r\n")
            .toUtf8());

    browser::frame::Favorites favorites(dataFolder,
        QStringLiteral("城市夜景 - 高清风景图片大全，每日更新的壁纸与摄影作品"),
        QStringLiteral("https://night.example.com/city?from=nimbrow"),
        {});
    save(favorites, folder + QStringLiteral("/favorites-dialog.png"));

    velmora::test::ServicesUnderTest s;
    browser::frame::FormDfg organizer(dataFolder, *s.desktop, {});
    organizer.List1->setCurrentRow(1);
    organizer.Command1->setEnabled(true);
    save(organizer, folder + QStringLiteral("/favorites-organizer.png"));
    organizer.Command2->click();

    QDir().mkpath(dataFolder + QStringLiteral("History"));
    for (const char *name : { "2021-11-1.html", "2021-11-2.html", "Index.htm", "news.php", "page.aspx" })
        writeFile(dataFolder + QStringLiteral("History/") + QString::fromLatin1(name), "<html></html>");
    // The reader goes when it is closed.
    auto *reader = new browser::frame::FormReader(s.settings, dataFolder, {});
    save(*reader, folder + QStringLiteral("/batch-reader.png"));
    reader->close();

    auto *refresher = new browser::frame::FormAutoREshua({});
    refresher->Command1->click();
    velmora::test::serveEvents(1200);
    save(*refresher, folder + QStringLiteral("/page-refresher.png"));
    refresher->close();
}

}
