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
            const auto item = m_items.find(request.path);
            if (item == m_items.end()) {
                response.status = 404;
                return;
            }
            response.set_header("Cache-Control", "max-age=3600");
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
};

}
