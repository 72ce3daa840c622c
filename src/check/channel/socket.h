#pragma once
// A blocking TCP socket: a connect that gives up after 2 seconds, an
// all-or-nothing send and an exact-length receive. Every failed operation closes
// the socket, so a failed channel never leaves a connection behind.
#include <cstddef>
#include <mutex>
#include <string>

#include "check/channel/socket_api.h"

class Socket {
public:
    static constexpr int connect_timeout_ms = 2000;

    // With `use_locks` one thread may send while another receives.
    explicit Socket(bool use_locks = false);
    virtual ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Closes an open socket, creates a new IPv4 stream socket and owns it.
    bool Create();
    // Takes over an already connected socket (the accepting side).
    void Attach(socket_handle s);
    // Gives up the socket without closing it and returns it.
    socket_handle Detach();
    // `host` is a dotted IPv4 address or a host name (first IPv4 address).
    // Needs a socket from Create(); on failure the socket is closed and the last
    // socket error says why (WSAEINVAL for a host without an address).
    bool Connect(const std::string& host, int port);
    // Send and receive time-outs; false (and closed) when they cannot be set.
    // The receive time-out bounds a whole RecvExact, so a peer that trickles a
    // message byte by byte cannot hold the channel longer than that.
    bool SetTimeouts(int receive_ms, int send_ms);
    bool SendAll(const void* data, std::size_t length);
    // `length` 0 succeeds at once.
    bool RecvExact(void* buffer, std::size_t length);
    // Shuts the socket down in both directions and closes it; no-op when closed.
    void Close();
    // May be called from another thread: shuts the connection down, so the
    // owner's next send or receive fails and closes the socket. (Whether a call
    // already blocked returns at once depends on the platform; Wine's does not.)
    void Interrupt();

    bool is_open() const { return m_socket != invalid_socket; }
    // The last failed receive found the connection closed by the peer (as opposed
    // to an error or a time-out). Cleared by Create().
    bool closed_by_peer() const { return m_closed_by_peer; }
    socket_handle handle() const { return m_socket; }

protected:
    // Close() that keeps the last socket error of the failure that caused it.
    void close_after_failure();

    socket_handle m_socket = invalid_socket;
    bool m_owns_socket = false;
    // Guards the handle against Interrupt() while Close() releases it.
    std::mutex m_handle_lock;
    std::mutex m_send_lock;
    std::mutex m_recv_lock;
    const bool m_use_locks;
    int m_receive_timeout_ms = 0; // 0: none
    bool m_closed_by_peer = false;
};
