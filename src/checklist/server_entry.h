// Reading one server entry of the check list: "host:port" or a whole http(s) URL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The C runtime's _wtoi: optional leading blanks and sign, then decimal digits;
// anything after the digits is ignored. Out-of-range values saturate at
// INT32_MAX / INT32_MIN.
std::int32_t wtoi(std::wstring_view text);

struct ServerEntry
{
    std::wstring host;
    std::int32_t port = 0;
};

// True and the host and port when the entry names a server; false when it is to
// be dropped (no host, or no port above 0).
bool parse_server_entry(std::wstring_view entry, ServerEntry& out);
