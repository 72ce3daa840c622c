#include "channel_server.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "check/channel/blastsock.h"
#include "check/channel/tqs_command.h"

namespace {

struct ModeName {
    ChannelMode mode;
    const char* name;
};

constexpr std::array<ModeName, 12> mode_names{{
    {ChannelMode::ok, "ok"},
    {ChannelMode::ok_once, "ok-once"},
    {ChannelMode::wrong_command, "wrong-command"},
    {ChannelMode::close_after_key, "close-after-key"},
    {ChannelMode::bad_session_key, "bad-session-key"},
    {ChannelMode::silent, "silent"},
    {ChannelMode::plain, "plain"},
    {ChannelMode::reset, "reset"},
    {ChannelMode::drop, "drop"},
    {ChannelMode::silent_after_key, "silent-after-key"},
    {ChannelMode::close_after_exchange, "close-after-exchange"},
    {ChannelMode::hold, "hold"},
}};

// How often the threads look at the stop flag while they wait.
constexpr int poll_interval_ms = 50;
// A client that stops talking is dropped after this long.
constexpr int peer_timeout_ms = 30000;

} // namespace

bool parse_channel_mode(const std::string& text, ChannelMode& mode)
{
    for (const ModeName& m : mode_names) {
        if (text == m.name) {
            mode = m.mode;
            return true;
        }
    }
    return false;
}

const char* channel_mode_name(ChannelMode mode)
{
    for (const ModeName& m : mode_names) {
        if (m.mode == mode)
            return m.name;
    }
    return "?";
}

struct ChannelServer::Connection {
    blastsock channel;
    std::thread thread;
    std::atomic<bool> finished{false};
};

ChannelServer::ChannelServer(ChannelMode mode) : m_mode(mode) {}

ChannelServer::~ChannelServer() { stop(); }

bool ChannelServer::listen(const std::string& address, int port)
{
    if (!socket_api::is_loopback_ipv4(address) || port < 0 || port > 65535)
        return false;
    std::uint32_t ip = 0;
    if (!socket_api::startup() || !socket_api::resolve_ipv4(address, ip))
        return false;
    std::lock_guard<std::mutex> lock(m_listener_lock);
    if (m_listener != invalid_socket)
        return false;
    // drop: a queue of one that one connection of our own fills, so that the
    // system answers no further connection (it drops their SYNs) until the
    // client's connect times out, as behind a firewall that drops packets.
    m_listener = socket_api::listen_tcp(ip, port, m_mode == ChannelMode::drop ? 0 : 16);
    if (m_listener == invalid_socket)
        return false;
    m_port = socket_api::local_port(m_listener);
    if (m_port != 0 && m_mode == ChannelMode::drop) {
        m_queue_filler = socket_api::create_tcp();
        if (m_queue_filler == invalid_socket || !socket_api::connect_within(m_queue_filler, ip, m_port, 2000))
            return false;
    }
    return m_port != 0;
}

int ChannelServer::port() const { return m_port; }

void ChannelServer::start()
{
    if (m_accept_thread.joinable() || m_mode == ChannelMode::drop)
        return;
    m_stopping = false;
    m_accept_thread = std::thread([this] { accept_loop(); });
}

void ChannelServer::close_listener()
{
    std::lock_guard<std::mutex> lock(m_listener_lock);
    if (m_listener != invalid_socket) {
        socket_api::close(m_listener);
        m_listener = invalid_socket;
    }
}

void ChannelServer::stop()
{
    m_stopping = true;
    if (m_accept_thread.joinable())
        m_accept_thread.join();
    close_listener();

    std::list<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard<std::mutex> lock(m_connections_lock);
        connections.swap(m_connections);
    }
    for (auto& c : connections) {
        // Ends the connection; its thread sees that, or the stop flag, on its next poll.
        c->channel.Interrupt();
        if (c->thread.joinable())
            c->thread.join();
    }
}

void ChannelServer::accept_loop()
{
    while (!m_stopping) {
        socket_handle s = invalid_socket;
        {
            // Held while waiting, so that nobody closes the listener under us.
            std::lock_guard<std::mutex> lock(m_listener_lock);
            if (m_listener == invalid_socket)
                break; // ok-once has closed the port
            s = socket_api::accept_within(m_listener, poll_interval_ms);
        }

        {
            // Join the threads of connections that are over.
            std::lock_guard<std::mutex> lock(m_connections_lock);
            for (auto i = m_connections.begin(); i != m_connections.end();) {
                if ((*i)->finished) {
                    (*i)->thread.join();
                    i = m_connections.erase(i);
                } else {
                    ++i;
                }
            }
        }
        if (s == invalid_socket)
            continue;
        ++m_accepted;
        auto connection = std::make_unique<Connection>();
        connection->channel.Attach(s);
        Connection* c = connection.get();
        std::lock_guard<std::mutex> lock(m_connections_lock);
        m_connections.push_back(std::move(connection));
        c->thread = std::thread([this, c] {
            serve(*c);
            c->channel.Close();
            c->finished = true;
        });
    }
}

bool ChannelServer::await_data(Connection& c)
{
    // Polls instead of blocking in recv, so stop() is noticed on every platform
    // (a shutdown from another thread does not wake a blocked recv under Wine).
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(peer_timeout_ms);
    while (!m_stopping && std::chrono::steady_clock::now() < limit) {
        if (socket_api::wait_readable(c.channel.handle(), poll_interval_ms))
            return true;
    }
    return false;
}

void ChannelServer::serve(Connection& c)
{
    blastsock& channel = c.channel;
    if (m_mode == ChannelMode::plain)
        return;
    if (!channel.SetTimeouts(peer_timeout_ms, peer_timeout_ms))
        return;

    if (m_mode == ChannelMode::silent_after_key) {
        serve_silent_after_key(c);
        return;
    }
    if (m_mode == ChannelMode::close_after_exchange) {
        serve_close_after_exchange(c);
        return;
    }

    if (m_mode == ChannelMode::hold) {
        // Unlike silent, no peer time-out: the client's own bounds must end it.
        std::vector<unsigned char> sink(1024);
        while (!m_stopping) {
            if (socket_api::wait_readable(channel.handle(), poll_interval_ms) &&
                socket_api::recv_some(channel.handle(), sink.data(), sink.size()) <= 0)
                return;
        }
        return;
    }
    if (m_mode == ChannelMode::silent) {
        // Read and drop whatever comes until the peer leaves or the server stops.
        std::vector<unsigned char> sink(1024);
        while (await_data(c)) {
            if (socket_api::recv_some(channel.handle(), sink.data(), sink.size()) <= 0)
                return;
        }
        return;
    }

    unsigned char public_message[blastsock::public_key_message_size];
    if (m_mode == ChannelMode::close_after_key) {
        if (await_data(c))
            channel.RecvExact(public_message, sizeof public_message);
        return;
    }

    if (m_mode == ChannelMode::reset) {
        if (await_data(c) && channel.RecvExact(public_message, sizeof public_message)) {
            // Closed without a shutdown first, with no linger: a reset, not a FIN.
            const socket_handle s = channel.Detach();
            socket_api::set_linger_zero(s);
            socket_api::close(s);
        }
        return;
    }

    if (m_mode == ChannelMode::bad_session_key) {
        if (!await_data(c) || !channel.RecvExact(public_message, sizeof public_message))
            return;
        // Well-formed hexadecimal that is no OAEP ciphertext under the client's key.
        unsigned char reply[blastsock::session_key_message_size] = {};
        for (std::size_t i = 0; i + 1 < sizeof reply; ++i)
            reply[i] = static_cast<unsigned char>("0123456789ABCDEF"[(i * 7 + 3) % 16]);
        channel.SendAll(reply, sizeof reply);
        // Wait for the client to give up, so it sees the message, not a reset.
        unsigned char rest[16];
        if (await_data(c))
            channel.RecvExact(rest, sizeof rest);
        return;
    }

    if (!await_data(c) || !channel.CryptAccept())
        return;
    std::uint16_t command = 0;
    while (await_data(c) && channel.RecvCommand(command)) {
        if (command != NMS_C_START)
            continue;
        // Stop listening before answering: the client's next attempt must be refused.
        if (m_mode == ChannelMode::ok_once)
            close_listener();
        const std::uint16_t answer = m_mode == ChannelMode::wrong_command ? 0 : NMS_C_START_OK;
        if (!channel.SendCommand(answer))
            return;
        ++m_handshakes;
        if (m_mode == ChannelMode::ok_once) {
            // Let the client read the answer and close first.
            if (await_data(c))
                channel.RecvCommand(command);
            return;
        }
    }
}

void ChannelServer::serve_silent_after_key(Connection& c)
{
    // The client's NMS_C_START is read and dropped: it waits for an answer until
    // its receive time-out.
    if (!await_data(c) || !c.channel.CryptAccept())
        return;
    std::vector<unsigned char> sink(1024);
    while (await_data(c)) {
        if (socket_api::recv_some(c.channel.handle(), sink.data(), sink.size()) <= 0)
            return;
    }
}

void ChannelServer::serve_close_after_exchange(Connection& c)
{
    // A reset right after the session key: the client's first send after the
    // key exchange fails.
    if (!await_data(c) || !c.channel.CryptAccept())
        return;
    socket_api::set_linger_zero(c.channel.handle());
    c.channel.Close();
}
