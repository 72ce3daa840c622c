#pragma once
// A scripted peer on a loopback port for channel tests: accepts one connection
// and runs the script on it in a thread of its own, so a test can see and forge
// every byte of the wire.
#include <functional>
#include <future>
#include <thread>

#include "check/channel/socket.h"
#include "check/channel/socket_api.h"

class RawPeer {
public:
    using Script = std::function<void(Socket&)>;

    explicit RawPeer(Script script) : m_script(std::move(script))
    {
        std::uint32_t loopback = 0;
        socket_api::startup();
        socket_api::resolve_ipv4("127.0.0.1", loopback);
        m_listener = socket_api::listen_tcp(loopback, 0, 4);
        m_port = m_listener == invalid_socket ? 0 : socket_api::local_port(m_listener);
        m_thread = std::thread([this] { run(); });
    }

    ~RawPeer()
    {
        m_thread.join();
        socket_api::close(m_listener);
    }

    int port() const { return m_port; }
    // Waits (bounded) until the script has finished; false when it did not.
    bool wait_done(int timeout_ms = 30000)
    {
        return m_finished.wait_for(std::chrono::milliseconds(timeout_ms)) == std::future_status::ready;
    }

private:
    void run()
    {
        // No client within 20 s means the test has failed already; do not hang.
        const socket_handle s = m_listener == invalid_socket ? invalid_socket
                                                             : socket_api::accept_within(m_listener, 20000);
        if (s != invalid_socket) {
            Socket peer;
            peer.Attach(s);
            peer.SetTimeouts(20000, 20000);
            m_script(peer);
        }
        m_done.set_value();
    }

    Script m_script;
    socket_handle m_listener = invalid_socket;
    int m_port = 0;
    std::promise<void> m_done;
    std::future<void> m_finished = m_done.get_future();
    std::thread m_thread;
};
