#include "diag/collect/wininet_proxy.h"

std::wstring format_wininet_proxy(const WinInetProxy& proxy)
{
    std::wstring out = L"ProxyEnable   : " + std::to_wstring(static_cast<std::int32_t>(proxy.proxy_enable));
    if (proxy.proxy_enable != 0)
        out += L"  (프록시 사용 중)";
    out += L"\nProxyServer   : " + proxy.proxy_server;
    out += L"\nAutoConfigURL : " + proxy.auto_config_url;
    out += L"\nProxyOverride : " + proxy.proxy_override;
    out += L"\n";
    return out;
}
