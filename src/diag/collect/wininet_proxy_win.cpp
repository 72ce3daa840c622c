#include "diag/collect/registry_policies_win.h"

#include "common/registry_win.h"

const wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

WinInetProxy read_wininet_proxy_values(HKEY root, const std::wstring& sub_key)
{
    WinInetProxy proxy;
    DWORD enable = 0;
    if (read_registry_dword(root, sub_key, L"ProxyEnable", enable) == ERROR_SUCCESS)
        proxy.proxy_enable = enable;
    read_registry_string(root, sub_key, L"ProxyServer", proxy.proxy_server);
    read_registry_string(root, sub_key, L"AutoConfigURL", proxy.auto_config_url);
    read_registry_string(root, sub_key, L"ProxyOverride", proxy.proxy_override);
    return proxy;
}

std::wstring read_wininet_proxy()
{
    return format_wininet_proxy(read_wininet_proxy_values(HKEY_CURRENT_USER, kInternetSettingsKey));
}
