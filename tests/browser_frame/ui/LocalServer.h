#pragma once

#include "ServerThread.h"

#include <QString>

#include <atomic>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace velmora::test {

// An HTTP server on 127.0.0.1 and a free port, serving fixed pages from its own thread. It counts
// the requests of every path, so a test can tell whether the browser asked for something.
class LocalServer {
public:
    LocalServer()
    {
        m_server.Get(R"(/.*)", [this](const httplib::Request &request, httplib::Response &response) {
            std::string body;
            std::string type;
            {
                std::lock_guard lock(m_mutex);
                ++m_hits[request.path];
                const auto page = m_pages.find(request.path);
                if (page == m_pages.end()) {
                    response.status = 404;
                    return;
                }
                body = page->second.first;
                type = page->second.second;
            }
            response.set_content(body, type.c_str());
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        // The socket listens from here on; connections wait until the thread accepts them.
        m_thread = std::make_unique<ServerThread>(m_server);
    }
    ~LocalServer() { m_thread->stop(); }
    LocalServer(const LocalServer &) = delete;
    LocalServer &operator=(const LocalServer &) = delete;

    void page(const std::string &path, const QString &html)
    {
        serve(path, html.toStdString(), "text/html; charset=utf-8");
    }
    void serve(const std::string &path, std::string body, const std::string &type)
    {
        std::lock_guard lock(m_mutex);
        m_pages[path] = { std::move(body), type };
    }
    int hits(const std::string &path) const
    {
        std::lock_guard lock(m_mutex);
        const auto hit = m_hits.find(path);
        return hit == m_hits.end() ? 0 : hit->second;
    }
    QString url(const std::string &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromStdString(path));
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::unique_ptr<ServerThread> m_thread;
    mutable std::mutex m_mutex;
    std::map<std::string, std::pair<std::string, std::string>> m_pages;
    std::map<std::string, int> m_hits;
};

}
