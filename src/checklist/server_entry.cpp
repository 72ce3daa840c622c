#include "checklist/server_entry.h"

#include <cstdint>
#include <limits>

std::int32_t wtoi(std::wstring_view text)
{
    size_t i = 0;
    // The C runtime's isspace set for the "C" locale.
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate with saturation so that a long run of digits cannot overflow.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > limit)
            value = limit;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

bool parse_server_entry(std::wstring_view entry, ServerEntry& out)
{
    const size_t colon = entry.find(L':');
    std::wstring host;
    std::int32_t port;
    if (colon == std::wstring_view::npos) {
        port = wtoi(entry);
    } else {
        host.assign(entry.substr(0, colon));
        port = wtoi(entry.substr(colon + 1));
    }
    if (port <= 0) {
        host.assign(entry);
        if (entry.starts_with(L"http://"))
            port = 80;
        else if (entry.starts_with(L"https://"))
            port = 443;
    }
    if (host.empty() || port <= 0)
        return false;
    out.host = std::move(host);
    out.port = port;
    return true;
}
