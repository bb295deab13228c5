#pragma once

#include <atomic>
#include <httplib.h>
#include <thread>

namespace velmora::test {

// Runs a bound test server's accept loop in a thread of its own. Stopping first waits until the
// loop has begun: httplib's stop() before that does nothing, and the loop would then never end
// (a test that finishes at once hung at its exit). An idle kept-alive connection is closed after a
// second: stopping waits for every connection's worker, and the web engine keeps its connections
// open until the server closes them (five seconds by default, paid at the end of every test). Not
// at once: a request the engine sends on a connection as the server closes it is lost, and a
// picture of a saving pass with it.
class ServerThread {
public:
    explicit ServerThread(httplib::Server &server)
        : m_server(server)
        , m_thread([this] {
            m_server.set_keep_alive_timeout(1);
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
