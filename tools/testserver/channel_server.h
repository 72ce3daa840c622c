#pragma once
// The accepting side of the encrypted channel for tests and the demo: answers the
// key exchange and the start handshake on a loopback port, or misbehaves on purpose
// in one of the fault modes below.
#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "check/channel/socket_api.h"

enum class ChannelMode {
    ok,              // key exchange, then NMS_C_START_OK for every NMS_C_START
    ok_once,         // one full handshake, then the port stops listening (refused)
    wrong_command,   // answers NMS_C_START with command 0
    close_after_key, // closes as soon as the client's public key has arrived
    bad_session_key, // sends a session-key message that does not decrypt
    silent,          // accepts and never answers
    plain,           // accepts and closes at once (plain connect test)
    reset,                 // reads the public key, then resets the connection (RST)
    drop,                  // never accepts: the listen queue is full, new connections get no answer
    silent_after_key,      // completes the key exchange, then never answers
    close_after_exchange,  // completes the key exchange, then resets the connection
    hold,                  // accepts, never answers and never closes until the server stops
};

// "ok", "ok-once", "wrong-command", "close-after-key", "bad-session-key", "silent",
// "plain", "reset", "drop", "silent-after-key", "close-after-exchange", "hold". Returns false
// and leaves `mode` alone for anything else.
bool parse_channel_mode(const std::string& text, ChannelMode& mode);

// The command-line spelling of `mode` (the inverse of parse_channel_mode).
const char* channel_mode_name(ChannelMode mode);

class ChannelServer {
public:
    explicit ChannelServer(ChannelMode mode);
    ~ChannelServer();
    ChannelServer(const ChannelServer&) = delete;
    ChannelServer& operator=(const ChannelServer&) = delete;

    // Binds and listens on a loopback address ("127.0.0.1" and the rest of
    // 127.0.0.0/8); port 0 takes any free port. False for other addresses or when
    // the port cannot be bound.
    bool listen(const std::string& address, int port);
    // The bound port, 0 before a successful listen.
    int port() const;
    // Serves connections on threads of its own until stop(); each connection has
    // its own thread, so a silent or slow peer does not hold up the next one.
    void start();
    // Stops listening, ends every open connection and joins all threads.
    // Safe to call more than once; the destructor calls it.
    void stop();

    // Number of connections accepted and of full handshakes answered so far.
    int accepted_count() const { return m_accepted.load(); }
    int handshake_count() const { return m_handshakes.load(); }

private:
    struct Connection;
    void accept_loop();
    void serve(Connection& connection);
    void serve_silent_after_key(Connection& connection);
    void serve_close_after_exchange(Connection& connection);
    // True when data (or the peer's close) is waiting; false on stop or time-out.
    bool await_data(Connection& connection);
    void close_listener();

    ChannelMode m_mode;
    socket_handle m_listener = invalid_socket;
    std::mutex m_listener_lock;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_handshakes{0};
    std::thread m_accept_thread;
    std::mutex m_connections_lock;
    std::list<std::unique_ptr<Connection>> m_connections;
    socket_handle m_queue_filler = invalid_socket; // drop: the one connection that fills the queue
};
