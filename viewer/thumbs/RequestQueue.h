#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace viewer::thumbs {

// Decides which waiting picture requests start, and when, on a fixed number of worker threads:
// pictures in or near the view first, in the order they were asked for, then the others in that
// order. Pictures out of view never take every thread (unless there is only one), so the web
// engine keeps a core to draw what it already has. Beyond those, pictures out of view may run on
// idle threads: threads of the lowest priority, which only take what time the engine and the
// other threads leave. Two requests for one picture never run at once: the later waits, and then
// finds what the first made in the cache.
class RequestQueue {
public:
    struct Request {
        quint64 ticket = 0;
        QString path;
        bool inView = false;
        bool idle = false; // to run on an idle thread
    };

    explicit RequestQueue(int threads, int idleThreads = 0);

    // Queues a request for the picture at path; answers its ticket (increasing).
    quint64 add(const QString &path);
    // The pictures now in or near the view (replacing those given before), and one more.
    void setInView(QSet<QString> paths);
    void addInView(const QString &path);

    // The request to start now, taken off the queue; nothing when none waits or none may start.
    std::optional<Request> takeNext();
    // A started request no longer needs its thread (what is left of it, such as writing the cache,
    // waits for idle threads), but its picture stays taken until it is finished.
    void setAside(const Request &request);
    // A started request is done: its thread (unless set aside before) and its picture are free.
    void finished(const Request &request);

    qsizetype waiting() const { return qsizetype(m_waiting.size()); }
    // Requests running on the (not idle) threads.
    int running() const { return m_running; }

private:
    // The thread the request ran on is free again.
    void freeThread(const Request &request);
    struct Waiting {
        quint64 ticket;
        QString path;
    };
    int m_threads;
    int m_awayThreads;
    int m_idleThreads;
    std::vector<Waiting> m_waiting; // in ticket order
    QSet<QString> m_inView;
    quint64 m_nextTicket = 0;
    int m_running = 0;
    int m_runningAway = 0;
    int m_runningIdle = 0;
    QHash<QString, int> m_runningPaths;
    QSet<quint64> m_setAside; // tickets
};

}
