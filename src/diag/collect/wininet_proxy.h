// The per-user proxy settings that WinINet (browsers and this tool's web checks) uses.
#pragma once

#include <cstdint>
#include <string>

struct WinInetProxy
{
    std::uint32_t proxy_enable = 0;
    std::wstring proxy_server;
    std::wstring auto_config_url;
    std::wstring proxy_override;
};

// "ProxyEnable   : 1  (프록시 사용 중)\nProxyServer   : ...\n" and so on.
std::wstring format_wininet_proxy(const WinInetProxy& proxy);

// Reads HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings and
// formats it (Windows only).
std::wstring read_wininet_proxy();
