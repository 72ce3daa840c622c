#pragma once
// Commands of the start handshake, sent as 2-byte channel messages.
#include <cstdint>

inline constexpr std::uint16_t NMS_C_START = 300;    // client to server
inline constexpr std::uint16_t NMS_C_START_OK = 301; // server to client
