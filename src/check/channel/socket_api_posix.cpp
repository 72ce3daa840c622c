// BSD socket calls behind socket_api.h (native tree).
#include "check/channel/socket_api.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace socket_api {

namespace {

sockaddr_in make_address(std::uint32_t address, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    return sa;
}

bool set_blocking(int s, bool blocking)
{
    const int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(s, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

// Waits for `events` on `s`; 1 ready, 0 timed out, -1 failed. Restarts after signals.
int wait_for(int s, short events, int timeout_ms)
{
    pollfd p{s, events, 0};
    for (;;) {
        const int n = poll(&p, 1, timeout_ms);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : (n == 0 ? 0 : 1);
    }
}

} // namespace

bool startup() { return true; }

int last_error() { return errno; }
void set_last_error(int code) { errno = code; }
int error_invalid_argument() { return EINVAL; }
int error_timed_out() { return ETIMEDOUT; }
int error_not_socket() { return EBADF; }

socket_handle create_tcp()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? invalid_socket : s;
}

void shutdown_both(socket_handle s)
{
    if (s != invalid_socket)
        ::shutdown(s, SHUT_RDWR);
}

void close(socket_handle s)
{
    if (s != invalid_socket)
        ::close(s);
}

bool resolve_ipv4(const std::string& host, std::uint32_t& address)
{
    if (host.empty() || host.find('\0') != std::string::npos)
        return false;
    in_addr a{};
    if (inet_pton(AF_INET, host.c_str(), &a) == 1) {
        address = a.s_addr;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list)
        return false;
    bool found = false;
    for (addrinfo* i = list; i; i = i->ai_next) {
        if (i->ai_family == AF_INET && i->ai_addr) {
            address = reinterpret_cast<const sockaddr_in*>(i->ai_addr)->sin_addr.s_addr;
            found = true;
            break;
        }
    }
    freeaddrinfo(list);
    return found;
}

bool is_loopback_ipv4(const std::string& host)
{
    in_addr a{};
    return inet_pton(AF_INET, host.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

bool connect_within(socket_handle s, std::uint32_t address, int port, int timeout_ms)
{
    if (!set_blocking(s, false))
        return false;
    const sockaddr_in sa = make_address(address, port);
    int result = ::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    int error = 0;
    if (result != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            const int ready = wait_for(s, POLLOUT, timeout_ms);
            if (ready == 0) {
                error = ETIMEDOUT;
            } else if (ready < 0) {
                error = errno;
            } else {
                // Writable also means "failed": the outcome is in SO_ERROR.
                socklen_t len = sizeof error;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                    error = errno;
            }
        }
    }
    set_blocking(s, true);
    errno = error;
    return error == 0;
}

bool set_linger_zero(socket_handle s)
{
    linger l{1, 0};
    return setsockopt(s, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0;
}

bool set_no_syn_retransmissions(socket_handle)
{
    return false; // Linux answers a refused SYN at once; nothing to shorten
}

bool set_timeouts(socket_handle s, int receive_ms, int send_ms)
{
    timeval r{receive_ms / 1000, (receive_ms % 1000) * 1000};
    timeval w{send_ms / 1000, (send_ms % 1000) * 1000};
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &r, sizeof r) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &w, sizeof w) == 0;
}

long send_some(socket_handle s, const void* data, std::size_t length)
{
    for (;;) {
        const ssize_t n = ::send(s, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            errno = ETIMEDOUT; // SO_SNDTIMEO ran out
        return static_cast<long>(n);
    }
}

long recv_some(socket_handle s, void* buffer, std::size_t length)
{
    for (;;) {
        const ssize_t n = ::recv(s, buffer, length, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            errno = ETIMEDOUT; // SO_RCVTIMEO ran out
        return static_cast<long>(n);
    }
}

socket_handle listen_tcp(std::uint32_t address, int port, int backlog)
{
    const socket_handle s = create_tcp();
    if (s == invalid_socket)
        return invalid_socket;
    const int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in sa = make_address(address, port);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, backlog) != 0) {
        const int error = errno;
        ::close(s);
        errno = error;
        return invalid_socket;
    }
    return s;
}

int local_port(socket_handle s)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

socket_handle accept_within(socket_handle listener, int timeout_ms)
{
    if (wait_for(listener, POLLIN, timeout_ms) != 1)
        return invalid_socket;
    const int s = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    return s < 0 ? invalid_socket : s;
}

bool wait_readable(socket_handle s, int timeout_ms)
{
    return wait_for(s, POLLIN, timeout_ms) == 1;
}

} // namespace socket_api

namespace socket_api {

error_kind classify_error(int code)
{
    switch (code) {
    case ECONNREFUSED: return error_kind::refused;
    case ETIMEDOUT: return error_kind::timed_out;
    case ECONNRESET: return error_kind::reset;
    case ECONNABORTED: return error_kind::aborted_here;
    case EPIPE: return error_kind::aborted;
    case ENETUNREACH:
    case EHOSTUNREACH: return error_kind::unreachable;
    default: return error_kind::other;
    }
}

address_lookup lookup_addresses(const std::string& host)
{
    address_lookup result;
    if (host.empty() || host.find('\0') != std::string::npos)
        return result;
    in_addr a4{};
    in6_addr a6{};
    if (inet_pton(AF_INET, host.c_str(), &a4) == 1 || inet_pton(AF_INET6, host.c_str(), &a6) == 1) {
        result.status = lookup_status::literal;
        result.addresses.push_back(host);
        return result;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    if (rc != 0 || !list) {
        result.error = rc;
        switch (rc) {
        case EAI_NONAME: result.status = lookup_status::not_found; break;
#ifdef EAI_NODATA
        case EAI_NODATA: result.status = lookup_status::no_data; break;
#endif
        case EAI_AGAIN: result.status = lookup_status::temporary_failure; break;
        default: result.status = lookup_status::failed; break;
        }
        return result;
    }
    for (addrinfo* i = list; i; i = i->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void* where = nullptr;
        if (i->ai_family == AF_INET)
            where = &reinterpret_cast<const sockaddr_in*>(i->ai_addr)->sin_addr;
        else if (i->ai_family == AF_INET6)
            where = &reinterpret_cast<const sockaddr_in6*>(i->ai_addr)->sin6_addr;
        if (!where || !inet_ntop(i->ai_family, where, text, sizeof text))
            continue;
        std::string address = text;
        bool seen = false;
        for (const std::string& a : result.addresses)
            seen = seen || a == address;
        if (!seen)
            result.addresses.push_back(std::move(address));
    }
    freeaddrinfo(list);
    result.status = result.addresses.empty() ? lookup_status::no_data : lookup_status::resolved;
    return result;
}

int pending_error(socket_handle s)
{
    int error = 0;
    socklen_t len = sizeof error;
    if (s == invalid_socket || getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0)
        return 0;
    return error;
}

std::string local_endpoint(socket_handle s)
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (s == invalid_socket || getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET)
        return std::string();
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text))
        return std::string();
    return std::string(text) + ":" + std::to_string(ntohs(sa.sin_port));
}

} // namespace socket_api
