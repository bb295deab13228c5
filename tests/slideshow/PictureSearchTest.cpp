#include "slideshow/PictureSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace slideshow {

namespace {

    void makeFile(const QString &path, qint64 size)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        ASSERT_TRUE(file.resize(size));
    }

    QStringList names(const QStringList &paths)
    {
        QStringList result;
        for (const QString &p : paths)
            result.append(p.section(QLatin1Char('/'), -1));
        return result;
    }

}

TEST(SearchPictureFile, KeepsLargePicturesOfTheFourTypesInNameOrder)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QLatin1Char('/');
    struct Entry {
        const char *name;
        qint64 size;
    };
    const Entry entries[] = {
        { "c.jpg", 30001 },
        { "B.JPG", 40000 },
        { "a.jpeg", 50000 },
        { "d.Gif", 31000 },
        { "e.bmp", 60000 },
        { "f.png", 90000 },
        { "g.jpg", 30000 },
        { "h.jpg.txt", 90000 },
        { "jpg", 40000 },
        { "i.", 40000 },
        { "k.$$$", 40000 },
        { "_.jpg", 30001 },
        { ".hidden.jpg", 40000 },
        { "x.bmp,jpg", 40000 },
    };
    for (const Entry &e : entries)
        makeFile(base + QString::fromUtf8(e.name), e.size);
    QDir(base).mkdir(QStringLiteral("folder.jpg"));

    const QStringList found = SearchPictureFile(dir.path());
    EXPECT_EQ(names(found),
        (QStringList { ".hidden.jpg", "a.jpeg", "B.JPG", "c.jpg", "d.Gif", "e.bmp", "jpg", "x.bmp,jpg", "_.jpg" }));
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first(), base + QStringLiteral(".hidden.jpg"));
}

TEST(SearchPictureFile, SmallOrOtherFilesGiveAnEmptyList)
{
    QTemporaryDir dir;
    makeFile(dir.path() + QStringLiteral("/small.jpg"), 1000);
    makeFile(dir.path() + QStringLiteral("/movie.avi"), 100000);
    EXPECT_TRUE(SearchPictureFile(dir.path() + QLatin1Char('/')).isEmpty());
    EXPECT_TRUE(SearchPictureFile(dir.path() + QStringLiteral("/missing/")).isEmpty());
    EXPECT_TRUE(SearchPictureFile(QString()).isEmpty());
}

TEST(SearchPictureFile, ListStopsAtItsBound)
{
    QTemporaryDir dir;
    for (int i = 0; i < kPictureListBound + 5; ++i)
        makeFile(dir.path() + QStringLiteral("/p%1.jpg").arg(i, 5, 10, QLatin1Char('0')), 30001);
    const QStringList found = SearchPictureFile(dir.path());
    ASSERT_EQ(found.size(), kPictureListBound);
    EXPECT_TRUE(found.last().endsWith(QStringLiteral("/p06000.jpg")));
}

}
