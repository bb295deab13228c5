#pragma once

#include <atomic>
#include <httplib.h>
#include <thread>

namespace velmora::test {

// Runs a bound test server's accept loop in a thread of its own. Stopping first waits until the
// loop has begun: httplib's stop() before that does nothing, and the loop would then never end
// (a test that finishes at once hung at its exit).
class ServerThread {
public:
    explicit ServerThread(httplib::Server &server)
        : m_server(server)
        , m_thread([this] {
            m_server.listen_after_bind();
            m_ended = true;
        })
    {
    }
    ~ServerThread() { stop(); }
    ServerThread(const ServerThread &) = delete;
    ServerThread &operator=(const ServerThread &) = delete;

    void stop()
    {
        if (!m_thread.joinable())
            return;
        while (!m_server.is_running() && !m_ended)
            std::this_thread::yield();
        m_server.stop();
        m_thread.join();
    }

private:
    httplib::Server &m_server;
    std::atomic<bool> m_ended { false };
    std::thread m_thread;
};

}
