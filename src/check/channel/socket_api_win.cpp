// Winsock 2 calls behind socket_api.h (win64 tree).
#include "check/channel/socket_api.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

namespace socket_api {

namespace {

sockaddr_in make_address(std::uint32_t address, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(static_cast<u_short>(port));
    return sa;
}

SOCKET native(socket_handle s) { return static_cast<SOCKET>(s); }

bool set_blocking(SOCKET s, bool blocking)
{
    u_long mode = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &mode) == 0;
}

timeval to_timeval(int timeout_ms)
{
    return timeval{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
}

} // namespace

bool startup()
{
    // The program starts Winsock itself; tests and tools rely on this one.
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

int last_error() { return WSAGetLastError(); }
void set_last_error(int code) { WSASetLastError(code); }
int error_invalid_argument() { return WSAEINVAL; }
int error_timed_out() { return WSAETIMEDOUT; }
int error_not_socket() { return WSAENOTSOCK; }

socket_handle create_tcp()
{
    if (!startup())
        return invalid_socket;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    return s == INVALID_SOCKET ? invalid_socket : static_cast<socket_handle>(s);
}

void shutdown_both(socket_handle s)
{
    if (s != invalid_socket)
        ::shutdown(native(s), SD_BOTH);
}

void close(socket_handle s)
{
    if (s != invalid_socket)
        ::closesocket(native(s));
}

bool resolve_ipv4(const std::string& host, std::uint32_t& address)
{
    if (host.empty() || host.find('\0') != std::string::npos || !startup())
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

bool connect_within(socket_handle handle, std::uint32_t address, int port, int timeout_ms)
{
    const SOCKET s = native(handle);
    if (!set_blocking(s, false))
        return false;
    const sockaddr_in sa = make_address(address, port);
    int error = 0;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) {
            // A failed connect shows in the exception set, an established one as writable.
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval limit = to_timeval(timeout_ms);
            const int ready = ::select(0, nullptr, &writable, &failed, &limit);
            if (ready == 0) {
                error = WSAETIMEDOUT;
            } else if (ready == SOCKET_ERROR) {
                error = WSAGetLastError();
            } else {
                int so_error = 0;
                int len = sizeof so_error;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &len) != 0)
                    so_error = WSAGetLastError();
                error = so_error;
                if (error == 0 && !FD_ISSET(s, &writable))
                    error = WSAECONNREFUSED;
            }
        }
    }
    set_blocking(s, true);
    WSASetLastError(error);
    return error == 0;
}

bool set_linger_zero(socket_handle s)
{
    linger l{1, 0};
    return setsockopt(native(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l) == 0;
}

bool set_no_syn_retransmissions(socket_handle s)
{
    // Documented for Windows 10 1703 and later; older systems and Wine refuse it.
    TCP_INITIAL_RTO_PARAMETERS parameters{};
    parameters.Rtt = TCP_INITIAL_RTO_UNSPECIFIED_RTT;
    parameters.MaxSynRetransmissions = TCP_INITIAL_RTO_NO_SYN_RETRANSMISSIONS;
    DWORD returned = 0;
    return WSAIoctl(native(s), SIO_TCP_INITIAL_RTO, &parameters, sizeof parameters, nullptr, 0, &returned, nullptr,
                    nullptr) == 0;
}

bool set_timeouts(socket_handle s, int receive_ms, int send_ms)
{
    const DWORD r = static_cast<DWORD>(receive_ms);
    const DWORD w = static_cast<DWORD>(send_ms);
    return setsockopt(native(s), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&r), sizeof r) == 0 &&
           setsockopt(native(s), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&w), sizeof w) == 0;
}

long send_some(socket_handle s, const void* data, std::size_t length)
{
    const int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
    return ::send(native(s), static_cast<const char*>(data), chunk, 0);
}

long recv_some(socket_handle s, void* buffer, std::size_t length)
{
    const int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
    return ::recv(native(s), static_cast<char*>(buffer), chunk, 0);
}

socket_handle listen_tcp(std::uint32_t address, int port, int backlog)
{
    const socket_handle handle = create_tcp();
    if (handle == invalid_socket)
        return invalid_socket;
    const SOCKET s = native(handle);
    // No other process may take over a port a test relies on.
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in sa = make_address(address, port);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, backlog) != 0) {
        const int error = WSAGetLastError();
        ::closesocket(s);
        WSASetLastError(error);
        return invalid_socket;
    }
    return handle;
}

int local_port(socket_handle s)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    if (getsockname(native(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

socket_handle accept_within(socket_handle listener, int timeout_ms)
{
    if (!wait_readable(listener, timeout_ms))
        return invalid_socket;
    const SOCKET s = ::accept(native(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? invalid_socket : static_cast<socket_handle>(s);
}

bool wait_readable(socket_handle s, int timeout_ms)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(s), &readable);
    timeval limit = to_timeval(timeout_ms);
    return ::select(0, &readable, nullptr, nullptr, &limit) == 1;
}

} // namespace socket_api

namespace socket_api {

error_kind classify_error(int code)
{
    switch (code) {
    case WSAECONNREFUSED: return error_kind::refused;
    case WSAETIMEDOUT: return error_kind::timed_out;
    case WSAECONNRESET: return error_kind::reset;
    case WSAECONNABORTED: return error_kind::aborted_here;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH: return error_kind::unreachable;
    default: return error_kind::other;
    }
}

address_lookup lookup_addresses(const std::string& host)
{
    address_lookup result;
    if (host.empty() || host.find('\0') != std::string::npos || !startup())
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
        result.error = rc != 0 ? rc : WSANO_DATA;
        switch (result.error) {
        case WSAHOST_NOT_FOUND: result.status = lookup_status::not_found; break;
        case WSANO_DATA: result.status = lookup_status::no_data; break;
        case WSATRY_AGAIN: result.status = lookup_status::temporary_failure; break;
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
    int len = sizeof error;
    if (s == invalid_socket || getsockopt(native(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0)
        return 0;
    return error;
}

std::string local_endpoint(socket_handle s)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    if (s == invalid_socket || getsockname(native(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0 ||
        sa.sin_family != AF_INET)
        return std::string();
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text))
        return std::string();
    return std::string(text) + ":" + std::to_string(ntohs(sa.sin_port));
}

} // namespace socket_api
