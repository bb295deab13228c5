#include "RequestQueue.h"

#include <algorithm>

namespace viewer::thumbs {

RequestQueue::RequestQueue(int threads, int idleThreads)
    : m_threads(std::max(1, threads))
    , m_awayThreads(std::max(1, m_threads - 1))
    , m_idleThreads(std::max(0, idleThreads))
{
}

quint64 RequestQueue::add(const QString &path)
{
    m_waiting.push_back({ m_nextTicket, path });
    return m_nextTicket++;
}

void RequestQueue::setInView(QSet<QString> paths)
{
    m_inView = std::move(paths);
}

void RequestQueue::addInView(const QString &path)
{
    m_inView.insert(path);
}

std::optional<RequestQueue::Request> RequestQueue::takeNext()
{
    // The first in view and the first out of view (the queue is in ticket order); a picture
    // already being made waits.
    auto inView = m_waiting.end();
    auto away = m_waiting.end();
    for (auto at = m_waiting.begin(); at != m_waiting.end() && (inView == m_waiting.end() || away == m_waiting.end());
         ++at) {
        if (m_runningPaths.contains(at->path))
            continue;
        if (!m_inView.contains(at->path)) {
            if (away == m_waiting.end())
                away = at;
        } else if (inView == m_waiting.end()) {
            inView = at;
        }
    }
    const bool threadFree = m_running < m_threads;
    auto next = m_waiting.end();
    bool idle = false;
    if (inView != m_waiting.end() && threadFree) {
        next = inView;
    } else if (away != m_waiting.end() && threadFree && m_runningAway < m_awayThreads) {
        next = away;
    } else if (away != m_waiting.end() && m_runningIdle < m_idleThreads) {
        next = away;
        idle = true;
    } else {
        return std::nullopt;
    }
    Request request { next->ticket, std::move(next->path), next == inView, idle };
    m_waiting.erase(next);
    if (idle)
        ++m_runningIdle;
    else
        ++m_running;
    m_runningAway += !request.inView && !idle ? 1 : 0;
    ++m_runningPaths[request.path];
    return request;
}

void RequestQueue::freeThread(const Request &request)
{
    if (request.idle) {
        m_runningIdle = std::max(0, m_runningIdle - 1);
        return;
    }
    m_running = std::max(0, m_running - 1);
    if (!request.inView)
        m_runningAway = std::max(0, m_runningAway - 1);
}

void RequestQueue::setAside(const Request &request)
{
    if (m_setAside.contains(request.ticket))
        return;
    m_setAside.insert(request.ticket);
    freeThread(request);
}

void RequestQueue::finished(const Request &request)
{
    if (!m_setAside.remove(request.ticket))
        freeThread(request);
    if (auto at = m_runningPaths.find(request.path); at != m_runningPaths.end() && --at.value() <= 0)
        m_runningPaths.erase(at);
}

}
