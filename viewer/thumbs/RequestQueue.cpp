#include "RequestQueue.h"

#include <algorithm>

namespace viewer::thumbs {

RequestQueue::RequestQueue(int threads)
    : m_threads(std::max(1, threads))
    , m_awayThreads(std::max(1, m_threads - 1))
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
    if (m_running >= m_threads)
        return std::nullopt;
    // The first in view, else the first of all (the queue is in ticket order); a picture already
    // being made waits.
    auto next = m_waiting.end();
    auto first = m_waiting.end();
    for (auto at = m_waiting.begin(); at != m_waiting.end(); ++at) {
        if (m_runningPaths.contains(at->path))
            continue;
        if (m_inView.contains(at->path)) {
            next = at;
            break;
        }
        if (first == m_waiting.end())
            first = at;
    }
    const bool inView = next != m_waiting.end();
    if (!inView) {
        if (first == m_waiting.end() || m_runningAway >= m_awayThreads)
            return std::nullopt;
        next = first;
    }
    Request request { next->ticket, std::move(next->path), inView };
    m_waiting.erase(next);
    ++m_running;
    m_runningAway += inView ? 0 : 1;
    ++m_runningPaths[request.path];
    return request;
}

void RequestQueue::freeThread(const Request &request)
{
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
