#pragma once

#include "ServerThread.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QString>

#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace velmora::test {

// An HTTP server on 127.0.0.1 for picture pages: pages and pictures of known sizes, cacheable for
// an hour, with the requests of every path counted.
class PictureServer {
public:
    PictureServer()
    {
        m_server.Get(R"(/.*)", [this](const httplib::Request &request, httplib::Response &response) {
            std::lock_guard lock(m_mutex);
            ++m_hits[request.path];
            m_agents[request.path] = request.get_header_value("User-Agent");
            const auto item = m_items.find(request.path);
            if (item == m_items.end()) {
                response.status = 404;
                return;
            }
            if (int &drops = m_drops[request.path]; drops > 0) {
                // The headers go out and the connection closes before the body.
                --drops;
                response.set_content_provider(item->second.first.size(),
                    item->second.second,
                    [](size_t, size_t, httplib::DataSink &) { return false; });
                return;
            }
            response.set_header("Cache-Control", m_uncached.count(request.path) ? "no-store" : "max-age=3600");
            response.set_content(item->second.first, item->second.second.c_str());
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::make_unique<ServerThread>(m_server);
    }
    ~PictureServer() { m_thread->stop(); }
    PictureServer(const PictureServer &) = delete;
    PictureServer &operator=(const PictureServer &) = delete;

    void page(const std::string &path, const QString &html)
    {
        serve(path, html.toStdString(), "text/html; charset=utf-8");
    }
    // A PNG picture of the size, in one colour.
    void picture(const std::string &path, int width, int height, QColor colour = Qt::darkGreen)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        serve(path, bytes.toStdString(), "image/png");
    }
    void serve(const std::string &path, std::string body, const std::string &type)
    {
        std::lock_guard lock(m_mutex);
        m_items[path] = { std::move(body), type };
    }
    // The picture at path is never kept in a cache, so every fetch of it asks the server.
    void uncached(const std::string &path)
    {
        std::lock_guard lock(m_mutex);
        m_uncached.insert(path);
    }
    // The next count requests for path lose their connection before the body.
    void dropNext(const std::string &path, int count)
    {
        std::lock_guard lock(m_mutex);
        m_drops[path] = count;
    }
    // The User-Agent of the last request for path.
    std::string agent(const std::string &path) const
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_agents.find(path);
        return found == m_agents.end() ? std::string() : found->second;
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
    std::map<std::string, std::pair<std::string, std::string>> m_items;
    std::map<std::string, int> m_hits;
    std::map<std::string, int> m_drops;
    std::map<std::string, std::string> m_agents;
    std::set<std::string> m_uncached;
};

}
