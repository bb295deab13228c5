#include "browser/page/PicturePipeline.h"

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <optional>

using browser::page::PicturePipeline;

namespace {

// The bytes of a PNG of the given width (height 40), so every picture is told apart by its width.
QByteArray pngOfWidth(int width)
{
    QImage picture(width, 40, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// A source of picture bytes whose answers the test hands out in the order it chooses. The address
// names the width ("w120"); "bad" gives bytes that are no picture and "gone" no bytes at all.
class HeldBytes {
public:
    PicturePipeline::BytesFunction function()
    {
        return [this](const QString &src, std::function<void(const QByteArray &, bool)> done) {
            asked << src;
            held.append({ src, std::move(done) });
        };
    }
    // Answers the request for src.
    void answer(const QString &src)
    {
        for (qsizetype i = 0; i < held.size(); ++i) {
            if (held[i].first != src)
                continue;
            auto done = std::move(held[i].second);
            held.removeAt(i);
            if (src == QLatin1String("gone"))
                done({}, false);
            else if (src == QLatin1String("bad"))
                done(QByteArray("no picture here"), true);
            else
                done(pngOfWidth(src.mid(1).toInt()), true);
            return;
        }
        ADD_FAILURE() << "no request for " << src.toStdString();
    }
    QStringList asked;
    QList<std::pair<QString, std::function<void(const QByteArray &, bool)>>> held;
};

// Runs the event loop until pred holds (or 10 s pass).
bool waitFor(const std::function<bool()> &pred)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pred())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    return pred() || loop.exec() == 0;
}

// Waits until the thread pool and the deliveries it posted are done.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

int widthOf(const QString &file)
{
    QImageReader reader(file);
    return reader.format() == "jpeg" ? reader.size().width() : -1;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

}

// However the bytes and encodings come in, each file holds the picture it was taken for.
TEST(PicturePipeline, FilesHoldThePicturesTakenInTheTakersOrder)
{
    const QList<QStringList> answerOrders = {
        { QStringLiteral("w101"), QStringLiteral("w102"), QStringLiteral("w103") },
        { QStringLiteral("w103"), QStringLiteral("w102"), QStringLiteral("w101") },
        { QStringLiteral("w102"), QStringLiteral("w103"), QStringLiteral("w101") },
    };
    for (const QStringList &order : answerOrders) {
        SCOPED_TRACE(order.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        HeldBytes bytes;
        PicturePipeline pipeline(bytes.function());
        // The first is taken at once, the other two are prepared ahead.
        QList<std::optional<bool>> results(3);
        const QStringList sources = { QStringLiteral("w101"), QStringLiteral("w102"), QStringLiteral("w103") };
        pipeline.take(sources[0], folder + QStringLiteral("0.jpg"), [&](bool ok) { results[0] = ok; });
        pipeline.prepare(sources[1], folder);
        pipeline.prepare(sources[2], folder);
        // Asked again, a picture on its way is not fetched twice.
        pipeline.prepare(sources[1], folder);
        EXPECT_EQ(bytes.asked, sources);
        for (const QString &src : order)
            bytes.answer(src);
        ASSERT_TRUE(waitFor([&] { return results[0].has_value(); }));
        pipeline.take(sources[1], folder + QStringLiteral("1.jpg"), [&](bool ok) { results[1] = ok; });
        pipeline.take(sources[2], folder + QStringLiteral("2.jpg"), [&](bool ok) { results[2] = ok; });
        ASSERT_TRUE(waitFor([&] { return results[1].has_value() && results[2].has_value(); }));
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(results[i].value_or(false)) << i;
            EXPECT_EQ(widthOf(folder + QStringLiteral("%1.jpg").arg(i)), 101 + i) << i;
        }
        settle();
        EXPECT_EQ(filesIn(folder),
            (QStringList { QStringLiteral("0.jpg"), QStringLiteral("1.jpg"), QStringLiteral("2.jpg") }));
        EXPECT_EQ(pipeline.inFlight(), 0);
    }
}

TEST(PicturePipeline, PicturesThatCannotBeHadFailAndLeaveNoFile)
{
    struct Case {
        const char *src;
        bool answeredBeforeTake;
    };
    const Case cases[] = { { "gone", false }, { "gone", true }, { "bad", false }, { "bad", true } };
    for (const Case &c : cases) {
        const QString src = QString::fromLatin1(c.src);
        SCOPED_TRACE(std::string(c.src) + (c.answeredBeforeTake ? " answered first" : " taken first"));
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        HeldBytes bytes;
        PicturePipeline pipeline(bytes.function());
        std::optional<bool> result;
        pipeline.prepare(src, folder);
        if (c.answeredBeforeTake) {
            bytes.answer(src);
            settle();
        }
        pipeline.take(src, folder + QStringLiteral("x.jpg"), [&](bool ok) { result = ok; });
        if (!c.answeredBeforeTake)
            bytes.answer(src);
        ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
        EXPECT_FALSE(*result);
        settle();
        EXPECT_TRUE(filesIn(folder).isEmpty()) << filesIn(folder).join(QLatin1Char(' ')).toStdString();
    }
}

// Pictures prepared for a pass that stopped are dropped whatever stage they were at: waiting for
// bytes, being encoded, or written and waiting for their turn. The same holds when the window goes.
TEST(PicturePipeline, DroppedPicturesLeaveNoWorkFiles)
{
    for (const bool destroy : { false, true }) {
        SCOPED_TRACE(destroy ? "pipeline destroyed" : "cleared");
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        HeldBytes bytes;
        auto pipeline = std::make_unique<PicturePipeline>(bytes.function());
        pipeline->prepare(QStringLiteral("w201"), folder);
        pipeline->prepare(QStringLiteral("w202"), folder);
        pipeline->prepare(QStringLiteral("w203"), folder);
        // One written and waiting, one handed to the encoder, one still waiting for its bytes.
        bytes.answer(QStringLiteral("w201"));
        ASSERT_TRUE(waitFor([&] { return pipeline->inFlight() == 2; }));
        EXPECT_EQ(filesIn(folder).size(), 1);
        bytes.answer(QStringLiteral("w202"));
        if (destroy)
            pipeline.reset();
        else
            pipeline->clear();
        EXPECT_FALSE(!destroy && pipeline->isPrepared(QStringLiteral("w201")));
        settle();
        EXPECT_TRUE(filesIn(folder).isEmpty()) << filesIn(folder).join(QLatin1Char(' ')).toStdString();
        // Bytes that arrive after the drop are not encoded.
        bytes.answer(QStringLiteral("w203"));
        settle();
        EXPECT_TRUE(filesIn(folder).isEmpty());
    }
}

// A picture being taken when the pass stops is still answered, so the pass can end cleanly.
TEST(PicturePipeline, ClearingDoesNotDropAPictureBeingTaken)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    HeldBytes bytes;
    PicturePipeline pipeline(bytes.function());
    std::optional<bool> result;
    pipeline.prepare(QStringLiteral("w150"), folder);
    pipeline.take(QStringLiteral("w150"), folder + QStringLiteral("a.jpg"), [&](bool ok) { result = ok; });
    pipeline.clear();
    bytes.answer(QStringLiteral("w150"));
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }));
    EXPECT_TRUE(*result);
    EXPECT_EQ(widthOf(folder + QStringLiteral("a.jpg")), 150);
    settle();
    EXPECT_EQ(filesIn(folder), QStringList { QStringLiteral("a.jpg") });
}
