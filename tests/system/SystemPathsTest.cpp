#include "system/SystemPaths.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(SystemPaths, FoldersEndWithSlashAndFollowTheUsersEnvironment)
{
    const sys::SystemPaths paths = sys::LoadSystemPaths();
    for (const QString &folder : { paths.windowsFolder, paths.systemFolder, paths.profileFolder, paths.cacheFolder })
        EXPECT_TRUE(folder.endsWith(QLatin1Char('/'))) << qPrintable(folder);
    EXPECT_EQ(paths.windowsFolder, QStringLiteral("/etc/"));
    EXPECT_EQ(paths.systemFolder, QStringLiteral("/usr/bin/"));
    EXPECT_FALSE(paths.userName.isEmpty());
    EXPECT_EQ(paths.profileFolder, QDir::homePath() + QLatin1Char('/'));
    EXPECT_EQ(paths.cacheFolder, qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/Velmora/web/"));
    EXPECT_FALSE(QDir(paths.cacheFolder).exists());
}

TEST(SystemPaths, CacheFallsBackBelowHomeWithoutAnAbsoluteCacheVariable)
{
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "relative/cache");
    const sys::SystemPaths paths = sys::LoadSystemPaths();
    qputenv("XDG_CACHE_HOME", saved);
    EXPECT_EQ(paths.cacheFolder, QDir::homePath() + QStringLiteral("/.cache/Velmora/web/"));
}

}
