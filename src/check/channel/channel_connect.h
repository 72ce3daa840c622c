#pragma once
// Opens the check's channel to a product server: a new socket, a connect that gives
// up after 2 seconds, 10-second send and receive time-outs and the key exchange.
#include <string>

#include "check/channel/blastsock.h"
#include "check/channel/session_event_listener.h"

namespace channel_result {
inline constexpr int ok = 0;
inline constexpr int socket_not_created = 90102;
inline constexpr int no_connection = 90103;
inline constexpr int key_exchange_failed = 90107;
} // namespace channel_result

inline constexpr int channel_io_timeout_ms = 10000;

// Closes whatever socket `channel` still has, then connects it to `ip`:`port`.
// Returns one of channel_result; on failure the channel is left without a socket
// and the reason is in the log. `listener` (may be null) hears of a failed key
// exchange. `local_address` (may be null) receives "address:port" of the
// connection's own end once the connection is made.
int connect_channel(blastsock& channel, const std::wstring& ip, int port, CSessionEventListener* listener,
                    std::string* local_address = nullptr);
