#pragma once

#include "ServerThread.h"

#include <QString>

#include <condition_variable>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace velmora::test {

// The byte at position i of every body the server sends.
inline char bodyByte(size_t i)
{
    return char('a' + i % 26);
}

inline std::string bodyOf(size_t size)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = bodyByte(i);
    return body;
}

// An HTTP server on 127.0.0.1 for the downloader, in its own thread:
//   /body?n=N      N bytes with their length        /chunked?n=N  N bytes, length not told
//   /mixed         "Server" and "Last-Modified" spelled the usual way, body "ok"
//   /lower         the same headers spelled in lower case
//   /bigheader     a header block longer than 1024 characters
//   /tofile        a redirect to a file: address    /hop?n=N   a redirect to /body?n=N
//   /stall         headers, then nothing until the server stops
//   /gbk           a page in GBK
//   /files/...     what serve() put there; 404 for anything else
//   /echo          the request's User-Agent, Cache-Control and Pragma, separated by "|"
class DownloadServer {
public:
    DownloadServer()
    {
        m_server.Get("/body", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(bodyOf(sizeOf(request)), "application/octet-stream");
        });
        m_server.Get("/chunked", [](const httplib::Request &request, httplib::Response &response) {
            const size_t total = sizeOf(request);
            response.set_chunked_content_provider(
                "application/octet-stream", [total](size_t offset, httplib::DataSink &sink) {
                    if (offset >= total) {
                        sink.done();
                        return true;
                    }
                    std::string shifted(std::min<size_t>(65536, total - offset), '\0');
                    for (size_t i = 0; i < shifted.size(); ++i)
                        shifted[i] = bodyByte(offset + i);
                    return sink.write(shifted.data(), shifted.size());
                });
        });
        m_server.Get("/mixed", [](const httplib::Request &, httplib::Response &response) {
            response.set_header("Server", "Mine/1.0");
            response.set_header("Last-Modified", "Tue, 08 Dec 2026 10:00:00 GMT");
            response.set_content("ok", "text/plain");
        });
        m_server.Get("/lower", [](const httplib::Request &, httplib::Response &response) {
            response.set_header("server", "Mine/1.0");
            response.set_header("last-modified", "Tue, 08 Dec 2026 10:00:00 GMT");
            response.set_content("ok", "text/plain");
        });
        m_server.Get("/bigheader", [](const httplib::Request &, httplib::Response &response) {
            response.set_header("X-Filler", std::string(1100, 'x'));
            response.set_content("ok", "text/plain");
        });
        m_server.Get("/tofile",
            [](const httplib::Request &, httplib::Response &response) { response.set_redirect("file:///etc/passwd"); });
        m_server.Get("/hop", [](const httplib::Request &request, httplib::Response &response) {
            response.set_redirect("/body?n=" + request.get_param_value("n"));
        });
        m_server.Get("/stall", [this](const httplib::Request &, httplib::Response &response) {
            response.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink &) {
                std::unique_lock lock(m_mutex);
                m_stopped.wait(lock, [this] { return m_stopping; });
                return false;
            });
        });
        m_server.Get("/gbk", [](const httplib::Request &, httplib::Response &response) {
            // "中文" in GBK, which is not UTF-8.
            response.set_content("<p>\xd6\xd0\xce\xc4</p>", "text/html");
        });
        m_server.Get(R"(/files/.*)", [this](const httplib::Request &request, httplib::Response &response) {
            std::lock_guard lock(m_mutex);
            const auto file = m_files.find(request.path);
            if (file == m_files.end()) {
                response.status = 404;
                return;
            }
            response.set_content(file->second.first, file->second.second.c_str());
        });
        m_server.Get("/echo", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(request.get_header_value("User-Agent") + "|"
                    + request.get_header_value("Cache-Control") + "|" + request.get_header_value("Pragma"),
                "text/plain");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::make_unique<ServerThread>(m_server);
    }
    ~DownloadServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_stopped.notify_all();
        m_thread->stop();
    }
    DownloadServer(const DownloadServer &) = delete;
    DownloadServer &operator=(const DownloadServer &) = delete;

    QString url(const QString &pathAndQuery) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(pathAndQuery);
    }
    // Serves body at "/files/" + name.
    void serve(const std::string &name, std::string body, const std::string &type)
    {
        std::lock_guard lock(m_mutex);
        m_files["/files/" + name] = { std::move(body), type };
    }

private:
    static size_t sizeOf(const httplib::Request &request)
    {
        return size_t(std::stoull(request.has_param("n") ? request.get_param_value("n") : std::string("0")));
    }

    httplib::Server m_server;
    int m_port = 0;
    std::unique_ptr<ServerThread> m_thread;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::map<std::string, std::pair<std::string, std::string>> m_files;
};

}
