#include "diag/collect/wininet_proxy.h"

#include "common/registry_win.h"

#include <windows.h>

std::wstring read_wininet_proxy()
{
    static const wchar_t key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    WinInetProxy proxy;
    DWORD enable = 0;
    if (read_registry_dword(HKEY_CURRENT_USER, key, L"ProxyEnable", enable) == ERROR_SUCCESS)
        proxy.proxy_enable = enable;
    read_registry_string(HKEY_CURRENT_USER, key, L"ProxyServer", proxy.proxy_server);
    read_registry_string(HKEY_CURRENT_USER, key, L"AutoConfigURL", proxy.auto_config_url);
    read_registry_string(HKEY_CURRENT_USER, key, L"ProxyOverride", proxy.proxy_override);
    return format_wininet_proxy(proxy);
}
