#pragma once
// The few socket calls the channel needs, the same on BSD sockets and Winsock 2.
// The platform files (socket_api_posix.cpp, socket_api_win.cpp) implement them;
// nothing here pulls in a system header.
#include <cstdint>
#include <string>
#include <vector>

#ifdef _WIN32
using socket_handle = std::uintptr_t; // SOCKET
#else
using socket_handle = int;
#endif
// All bits set, as the platforms' own INVALID_SOCKET / -1.
inline constexpr socket_handle invalid_socket = static_cast<socket_handle>(~std::uintptr_t(0));

namespace socket_api {

// Starts the socket library once per process (Winsock); true when usable.
bool startup();

// Last socket error of the calling thread (WSAGetLastError / errno), and setting it.
int last_error();
void set_last_error(int code);
// Platform codes the channel reports itself.
int error_invalid_argument(); // WSAEINVAL / EINVAL: no address for a host
int error_timed_out();        // WSAETIMEDOUT / ETIMEDOUT
int error_not_socket();       // WSAENOTSOCK / EBADF: operation on a closed channel

// What a socket error code means, for telling the user why a connection failed.
// aborted: the peer closed it under us; aborted_here: this PC's own stack
// abandoned it (WSAECONNABORTED: a local firewall, a security product, the
// stack's own retransmission limit), which is not the server's doing.
enum class error_kind { refused, timed_out, reset, aborted, aborted_here, unreachable, other };
error_kind classify_error(int code);

// Every address of a host as the system's resolver answers (IPv4 and IPv6, in
// its order, each once), or the reason there is none.
enum class lookup_status { literal, resolved, not_found, no_data, temporary_failure, failed };
struct address_lookup
{
    lookup_status status = lookup_status::failed;
    std::vector<std::string> addresses; // textual, "10.0.0.5" or "fe80::1"
    int error = 0;                      // the resolver's own code when it failed
};
address_lookup lookup_addresses(const std::string& host);

// The socket's pending error (SO_ERROR), 0 when there is none.
int pending_error(socket_handle s);

// "address:port" of the socket's own end; empty when it has none.
std::string local_endpoint(socket_handle s);

// IPv4 TCP socket, invalid_socket on failure.
socket_handle create_tcp();
void shutdown_both(socket_handle s);
void close(socket_handle s);

// Host as dotted IPv4 address, else its first IPv4 address from a name lookup.
// The address is in network byte order. False when there is none.
bool resolve_ipv4(const std::string& host, std::uint32_t& address);
// True for a dotted IPv4 address in 127.0.0.0/8.
bool is_loopback_ipv4(const std::string& host);

// Non-blocking connect that waits at most `timeout_ms` for the connection to be
// established; the socket is back in blocking mode afterwards. On failure the
// last error says why (refused, timed out, ...).
bool connect_within(socket_handle s, std::uint32_t address, int port, int timeout_ms);

bool set_linger_zero(socket_handle s);
// No SYN retransmissions for this socket's connect (SIO_TCP_INITIAL_RTO), so
// that a refusal or silence shows at once; false where the system refuses it.
bool set_no_syn_retransmissions(socket_handle s);
bool set_timeouts(socket_handle s, int receive_ms, int send_ms);

// One send / recv call; the platform's result (bytes, 0, or negative on error).
long send_some(socket_handle s, const void* data, std::size_t length);
long recv_some(socket_handle s, void* buffer, std::size_t length);

// Listening side.
socket_handle listen_tcp(std::uint32_t address, int port, int backlog);
int local_port(socket_handle s);
// Waits up to `timeout_ms` for a connection and accepts it; invalid_socket when
// none arrived or the listener failed.
socket_handle accept_within(socket_handle listener, int timeout_ms);
// Waits up to `timeout_ms` until `s` is readable (data or peer close).
bool wait_readable(socket_handle s, int timeout_ms);

} // namespace socket_api
