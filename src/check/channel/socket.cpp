#include "check/channel/socket.h"

#include <chrono>

namespace {

// Holds `m` only when the socket was built with locks.
class OptionalLock {
public:
    OptionalLock(std::mutex& m, bool use) : m_mutex(use ? &m : nullptr)
    {
        if (m_mutex)
            m_mutex->lock();
    }
    ~OptionalLock()
    {
        if (m_mutex)
            m_mutex->unlock();
    }
    OptionalLock(const OptionalLock&) = delete;
    OptionalLock& operator=(const OptionalLock&) = delete;

private:
    std::mutex* m_mutex;
};

} // namespace

Socket::Socket(bool use_locks) : m_use_locks(use_locks) {}

Socket::~Socket()
{
    if (m_owns_socket)
        Close();
}

bool Socket::Create()
{
    Close();
    const socket_handle s = socket_api::create_tcp();
    const int error = socket_api::last_error();
    {
        std::lock_guard<std::mutex> lock(m_handle_lock);
        m_socket = s;
        m_owns_socket = true;
    }
    m_closed_by_peer = false;
    if (s == invalid_socket)
        socket_api::set_last_error(error); // the lock may have touched it
    return s != invalid_socket;
}

void Socket::Attach(socket_handle s)
{
    Close();
    std::lock_guard<std::mutex> lock(m_handle_lock);
    m_socket = s;
    m_owns_socket = true;
}

socket_handle Socket::Detach()
{
    std::lock_guard<std::mutex> lock(m_handle_lock);
    const socket_handle s = m_socket;
    m_socket = invalid_socket;
    return s;
}

bool Socket::Connect(const std::string& host, int port)
{
    if (m_socket == invalid_socket) {
        socket_api::set_last_error(socket_api::error_not_socket());
        return false;
    }
    std::uint32_t address = 0;
    if (port < 1 || port > 65535 || !socket_api::resolve_ipv4(host, address)) {
        Close();
        socket_api::set_last_error(socket_api::error_invalid_argument());
        return false;
    }
    if (!socket_api::connect_within(m_socket, address, port, connect_timeout_ms)) {
        close_after_failure();
        return false;
    }
    // A later close resets the connection instead of lingering in TIME_WAIT.
    socket_api::set_linger_zero(m_socket);
    return true;
}

bool Socket::SetTimeouts(int receive_ms, int send_ms)
{
    if (m_socket == invalid_socket) {
        socket_api::set_last_error(socket_api::error_not_socket());
        return false;
    }
    if (!socket_api::set_timeouts(m_socket, receive_ms, send_ms)) {
        close_after_failure();
        return false;
    }
    m_receive_timeout_ms = receive_ms > 0 ? receive_ms : 0;
    return true;
}

bool Socket::SendAll(const void* data, std::size_t length)
{
    OptionalLock lock(m_send_lock, m_use_locks);
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        if (m_socket == invalid_socket) {
            socket_api::set_last_error(socket_api::error_not_socket());
            return false;
        }
        const long n = socket_api::send_some(m_socket, p, length);
        if (n <= 0) {
            close_after_failure();
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Socket::RecvExact(void* buffer, std::size_t length)
{
    OptionalLock lock(m_recv_lock, m_use_locks);
    char* p = static_cast<char*>(buffer);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_receive_timeout_ms);
    while (length > 0) {
        if (m_socket == invalid_socket) {
            socket_api::set_last_error(socket_api::error_not_socket());
            return false;
        }
        if (m_receive_timeout_ms > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !socket_api::wait_readable(m_socket, static_cast<int>(left.count()))) {
                Close();
                socket_api::set_last_error(socket_api::error_timed_out());
                return false;
            }
        }
        const long n = socket_api::recv_some(m_socket, p, length);
        if (n <= 0) {
            // An end of data can still be a reset the receive did not report
            // (Wine): the socket's pending error tells the two apart.
            const int pending = n == 0 ? socket_api::pending_error(m_socket) : 0;
            m_closed_by_peer = n == 0 && pending == 0;
            if (pending != 0)
                socket_api::set_last_error(pending);
            close_after_failure();
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void Socket::Close()
{
    if (m_socket == invalid_socket)
        return;
    std::lock_guard<std::mutex> lock(m_handle_lock);
    socket_api::shutdown_both(m_socket);
    socket_api::close(m_socket);
    m_socket = invalid_socket;
}

void Socket::Interrupt()
{
    std::lock_guard<std::mutex> lock(m_handle_lock);
    if (m_socket != invalid_socket)
        socket_api::shutdown_both(m_socket);
}

void Socket::close_after_failure()
{
    const int error = socket_api::last_error();
    Close();
    socket_api::set_last_error(error);
}
