#include "browser/page/PictureSaver.h"

#include "browser/page/PictureFiles.h"
#include "common/RunningValues.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace browser::page;

namespace {

// A page of picture elements, a picture taker that writes the address as the file's bytes, and a
// fetch that writes a body of the size the address names ("http://h/30000.jpg").
class SaverHarness {
public:
    SaverHarness(common::RunningValues &values, QList<PageImage> images)
        : m_images(std::move(images))
    {
        PictureSaver::Operations ops;
        ops.queryImages = [this](std::function<void(QList<PageImage>)> done) {
            ++queries;
            QTimer::singleShot(0, [this, done] { done(m_images); });
        };
        ops.takePicture = [this](const PageImage &image, const QString &file, std::function<void(bool)> done) {
            taken << image.src;
            events << QStringLiteral("take ") + image.src;
            const bool ok = !failing.contains(image.src);
            if (ok) {
                QFile out(file);
                out.open(QIODevice::WriteOnly);
                out.write(image.src.toUtf8());
            }
            QTimer::singleShot(0, [done, ok] { done(ok); });
        };
        ops.prefetch = [this](const PageImage &image) {
            prefetched << image.src;
            events << QStringLiteral("ahead ") + image.src;
        };
        ops.fetch = [this](const QString &url, const QString &file, std::function<void(bool)> done) {
            fetched << url;
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(QByteArray(QFileInfo(url).baseName().toInt(), 'x'));
            out.close();
            QTimer::singleShot(0, [done] { done(true); });
        };
        ops.now = [] {
            return QDateTime(QDate(2026, 3, 9), QTime(15, 7));
        };
        saver = std::make_unique<PictureSaver>(values, ops);
    }
    // Runs the event loop until the saver reports that a pass ended.
    bool waitForPass()
    {
        QEventLoop loop;
        QObject::connect(saver.get(), &PictureSaver::passEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
        return loop.exec() == 0;
    }
    std::unique_ptr<PictureSaver> saver;
    QStringList taken;
    QStringList fetched;
    QStringList prefetched;
    // Takes and announcements in the order they were asked for.
    QStringList events;
    QStringList failing;
    int queries = 0;

private:
    QList<PageImage> m_images;
};

QStringList jpegsIn(const QString &folder)
{
    return QDir(folder).entryList({ QStringLiteral("*.jpg") }, QDir::Files | QDir::Hidden, QDir::Name);
}

class Saving : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        values.DownloadFolder = dir.path() + QLatin1Char('/');
    }
    QTemporaryDir dir;
    common::RunningValues values;
};

}

TEST_F(Saving, NormalPassSavesEachDistinctLargePictureOnce)
{
    SaverHarness h(values,
        { { QStringLiteral("http://h/a.png"), 600, 600 },
            { QStringLiteral("http://h/a.png"), 600, 600 },
            { QStringLiteral("http://h/b.png"), 501, 501 },
            { QStringLiteral("http://h/c.png"), 501, 500 },
            { QStringLiteral("http"), 900, 900 },
            { QStringLiteral("http://h/d.png"), 10, 10 } });
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    EXPECT_TRUE(values.SaveBusy);
    EXPECT_TRUE(h.saver->SavingPictures());
    ASSERT_TRUE(h.waitForPass());
    EXPECT_EQ(h.taken, (QStringList { QStringLiteral("http://h/a.png"), QStringLiteral("http://h/b.png") }));
    // While a picture is taken, the next large pictures not yet saved are announced ahead.
    EXPECT_EQ(h.prefetched, (QStringList { QStringLiteral("http://h/b.png") }));
    EXPECT_EQ(
        jpegsIn(dir.path()), (QStringList { QStringLiteral("202639_1570.jpg"), QStringLiteral("202639_1571.jpg") }));
    EXPECT_EQ(h.saver->FindImag(), 3);
    EXPECT_EQ(h.saver->SavedCount(), 2);
    EXPECT_EQ(h.saver->bar(), (SaveBar { 2400, 0x4000, QStringLiteral("  自动下载图片 2") }));
    EXPECT_FALSE(values.SaveBusy);
    EXPECT_FALSE(h.saver->SavingPictures());
    EXPECT_TRUE(QDir(dir.path()).entryList({ QStringLiteral("*.part") }, QDir::Files | QDir::Hidden).isEmpty());

    // A second pass on the same page saves nothing new; after a new navigation it saves again
    // under new names.
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    ASSERT_TRUE(h.waitForPass());
    EXPECT_EQ(jpegsIn(dir.path()).size(), 2);
    h.saver->BeforeDownload();
    EXPECT_EQ(h.saver->bar(), (SaveBar { 2400, 0xFFFFFF, QStringLiteral("  自动下载图片 0") }));
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    ASSERT_TRUE(h.waitForPass());
    EXPECT_EQ(jpegsIn(dir.path()).size(), 4);
}

// The picture whose turn it is is asked for before the ones after it, so it is first in every
// queue; then as many of the next large pictures not yet saved as are kept on their way.
TEST_F(Saving, ThePictureBeingTakenIsAskedForBeforeTheNextOnes)
{
    QList<PageImage> images;
    for (int i = 0; i < PictureSaver::kPrefetchDepth + 3; ++i)
        images.append({ QStringLiteral("http://h/%1.png").arg(i), 600, 600 });
    images.insert(2, { QStringLiteral("http://h/small.png"), 100, 100 });
    SaverHarness h(values, images);
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    ASSERT_TRUE(h.waitForPass());
    QStringList expected { QStringLiteral("take http://h/0.png") };
    for (int i = 1; i <= PictureSaver::kPrefetchDepth; ++i)
        expected << QStringLiteral("ahead http://h/%1.png").arg(i);
    expected << QStringLiteral("take http://h/1.png");
    ASSERT_GE(h.events.size(), expected.size());
    EXPECT_EQ(h.events.mid(0, expected.size()), expected);
    EXPECT_EQ(jpegsIn(dir.path()).size(), PictureSaver::kPrefetchDepth + 3);
}

TEST_F(Saving, FailedSaveFreesTheAddressAndBusyWindowsWait)
{
    SaverHarness first(values, { { QStringLiteral("http://h/a.png"), 600, 600 } });
    SaverHarness second(values, { { QStringLiteral("http://h/b.png"), 600, 600 } });
    first.failing << QStringLiteral("http://h/a.png");
    ASSERT_EQ(first.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    EXPECT_EQ(first.saver->SavePictureDisk(dir.path()), PictureSaver::Start::AlreadySaving);
    EXPECT_EQ(second.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Busy);
    ASSERT_TRUE(first.waitForPass());
    EXPECT_EQ(first.saver->SavedCount(), 0);
    EXPECT_TRUE(jpegsIn(dir.path()).isEmpty());
    ASSERT_EQ(second.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    ASSERT_TRUE(second.waitForPass());
    EXPECT_EQ(jpegsIn(dir.path()), QStringList { QStringLiteral("202639_1570.jpg") });
}

TEST_F(Saving, TheTwoHundredAndFirstDistinctPictureEndsThePass)
{
    QList<PageImage> images;
    for (int i = 0; i < 205; ++i)
        images.append({ QStringLiteral("http://h/%1.png").arg(i), 600, 600 });
    SaverHarness h(values, images);
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    ASSERT_TRUE(h.waitForPass());
    EXPECT_EQ(h.taken.size(), 200);
    EXPECT_EQ(h.saver->SavedCount(), 200);
    EXPECT_EQ(h.saver->FindImag(), 201);
    EXPECT_EQ(jpegsIn(dir.path()).size(), 200);
}

TEST_F(Saving, ACloseDuringAPassStopsItAtTheNextStep)
{
    QList<PageImage> images;
    for (int i = 0; i < 10; ++i)
        images.append({ QStringLiteral("http://h/%1.png").arg(i), 600, 600 });
    SaverHarness h(values, images);
    EXPECT_FALSE(h.saver->deferClose());
    ASSERT_EQ(h.saver->SavePictureDisk(dir.path()), PictureSaver::Start::Started);
    QObject::connect(h.saver.get(), &PictureSaver::barChanged, h.saver.get(), [&h] { h.saver->deferClose(); });
    ASSERT_TRUE(h.waitForPass());
    EXPECT_TRUE(h.saver->CloseRequested());
    EXPECT_EQ(h.taken.size(), 1);
    EXPECT_FALSE(values.SaveBusy);
}

TEST_F(Saving, FallbackKeepsFilesOfTheSmallestSizeAndMore)
{
    values.browser.MinPictureBytes = 30000;
    SaverHarness h(values,
        { { QStringLiteral("http://h/30000.jpg"), 10, 10 },
            { QStringLiteral("http://h/29999.jpg"), 10, 10 },
            { QStringLiteral("http://h/50000.JPG"), 10, 10 },
            { QStringLiteral("http://h/40000.jpg"), 10, 10 } });
    QList<int> runEnds;
    QObject::connect(h.saver.get(), &PictureSaver::runEnded, [&runEnds] { runEnds << 1; });
    ASSERT_EQ(h.saver->AutoDownLoadImag(), PictureSaver::Start::Started);
    ASSERT_TRUE(h.waitForPass()); // the normal pass finds nothing
    ASSERT_TRUE(h.waitForPass()); // the fallback
    EXPECT_EQ(runEnds.size(), 1);
    EXPECT_EQ(h.fetched.size(), 3);
    const QStringList files = jpegsIn(dir.path());
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(QFileInfo(dir.filePath(files[0])).size(), 30000);
    EXPECT_EQ(QFileInfo(dir.filePath(files[1])).size(), 40000);
    EXPECT_EQ(h.saver->bar(), (SaveBar { 200, 0x4000, QStringLiteral("  下载成功：2") }));
    EXPECT_EQ(values.pictures.PictureCount, 3);
    EXPECT_TRUE(QDir(dir.path()).entryList({ QStringLiteral("*.part") }, QDir::Files | QDir::Hidden).isEmpty());
}
