#include "viewer/thumbs/RequestQueue.h"

#include <gtest/gtest.h>

namespace viewer::thumbs {
namespace {

    // A script of queue events, one letter and a picture name each:
    //   "+a" a request for a, "v a b" the pictures in view become a and b, "!a" a picture added to
    //   them, "t" take every request that may start now, "s a" the started request for a frees
    //   its thread, "f a" the started request for a ends.
    // The names started, in order, are compared with `started`; "~" marks one started on an idle
    // thread.
    struct QueueScript {
        const char *name;
        int threads;
        std::vector<std::string> events;
        std::vector<std::string> started;
        int idleThreads = 0;
    };

    std::vector<std::string> play(const QueueScript &c)
    {
        RequestQueue queue(c.threads, c.idleThreads);
        std::vector<RequestQueue::Request> running;
        std::vector<std::string> started;
        for (const std::string &event : c.events) {
            const QString rest = QString::fromStdString(event.substr(1)).trimmed();
            switch (event[0]) {
            case '+':
                queue.add(rest);
                break;
            case 'v': {
                const QStringList names = rest.split(u' ', Qt::SkipEmptyParts);
                queue.setInView(QSet<QString>(names.begin(), names.end()));
                break;
            }
            case '!':
                queue.addInView(rest);
                break;
            case 't':
                while (const auto request = queue.takeNext()) {
                    started.push_back(request->path.toStdString() + (request->idle ? "~" : ""));
                    running.push_back(*request);
                }
                break;
            case 's':
            case 'f': {
                const auto done = std::find_if(
                    running.begin(), running.end(), [&](const RequestQueue::Request &r) { return r.path == rest; });
                EXPECT_NE(done, running.end()) << event;
                if (done == running.end())
                    break;
                if (event[0] == 's') {
                    queue.setAside(*done);
                    break;
                }
                queue.finished(*done);
                running.erase(done);
                break;
            }
            }
        }
        return started;
    }

    TEST(RequestQueue, PicturesInViewStartFirstAndThoseOutOfViewLeaveAThreadFree)
    {
        const QueueScript cases[] = {
            { "in the order asked when nothing is known of the view",
                1,
                { "+a", "+b", "+c", "t", "f a", "t", "f b", "t" },
                { "a", "b", "c" } },
            { "out of view: one thread of two, the other left to the engine", 2, { "+a", "+b", "+c", "t" }, { "a" } },
            { "in view: every thread", 2, { "+a", "+b", "+c", "v a b c", "t" }, { "a", "b" } },
            { "a later request in view goes before earlier ones out of view",
                1,
                { "+a", "+b", "+c", "+d", "v c", "t", "f c", "t" },
                { "c", "a" } },
            { "in view in the order asked, whatever the order of the set",
                2,
                { "+a", "+b", "+c", "+d", "v d b", "t", "f b", "f d", "t" },
                { "b", "d", "a" } },
            { "a scroll replaces the view: what left it waits its turn",
                2,
                { "+a", "+b", "+c", "+d", "v a b", "t", "v d", "f a", "t", "f b", "t" },
                { "a", "b", "d", "c" } },
            { "added one by one (the first screen's requests)",
                2,
                { "+a", "!a", "+b", "!b", "+c", "t" },
                { "a", "b" } },
            { "a picture out of view starts beside one in view",
                3,
                { "+a", "+b", "+c", "+d", "v c", "t" },
                { "c", "a", "b" } },
            { "nothing waits: nothing starts", 2, { "t", "v a", "t" }, {} },
            { "a second request for a picture being made waits for it",
                2,
                { "+a", "+a", "+b", "v a b", "t", "f a", "t" },
                { "a", "b", "a" } },
            { "one thread is used for pictures out of view too", 1, { "+a", "+b", "t", "f a", "t" }, { "a", "b" } },
            { "a request set aside frees its thread, its picture stays taken until it ends",
                1,
                { "+a", "+a", "+b", "v a b", "t", "s a", "t", "f b", "t", "f a", "t" },
                { "a", "b", "a" } },
            { "set aside out of view: the next picture out of view may start",
                2,
                { "+a", "+b", "+c", "t", "s a", "t", "s a", "t" },
                { "a", "b" } },
            { "set aside and ended: the thread is freed once",
                1,
                { "+a", "+b", "+c", "t", "s a", "t", "f a", "t" },
                { "a", "b" } },
            { "out of view: one thread of two, then the idle thread", 2, { "+a", "+b", "+c", "t" }, { "a", "b~" }, 1 },
            { "in view never runs on an idle thread", 1, { "+a", "+b", "v a b", "t" }, { "a" }, 1 },
            { "the view takes every thread, and the idle one takes a picture out of view",
                2,
                { "+a", "+b", "+c", "+d", "v a b", "t" },
                { "a", "b", "c~" },
                1 },
            { "an idle thread freed takes the next picture out of view",
                2,
                { "+a", "+b", "+c", "+d", "t", "f b", "t", "f a", "t" },
                { "a", "b~", "c~", "d" },
                1 },
            { "a request set aside on an idle thread frees it",
                2,
                { "+a", "+b", "+c", "t", "s b", "t", "f b", "t" },
                { "a", "b~", "c~" },
                1 },
            { "a picture in view waits for a thread, not for an idle one",
                1,
                { "+a", "+b", "+c", "t", "v c", "t", "f a", "t" },
                { "a", "b~", "c" },
                1 },
        };
        for (const QueueScript &c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(play(c), c.started);
        }
    }

}
}
