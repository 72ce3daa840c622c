// Reading the UAC and WinINet proxy values from any key, so that tests can use a
// key of their own instead of the machine's settings.
#pragma once

#include "diag/collect/uac_settings.h"
#include "diag/collect/wininet_proxy.h"

#include <windows.h>

#include <string>

extern const wchar_t kUacPolicyKey[];      // under HKEY_LOCAL_MACHINE
extern const wchar_t kInternetSettingsKey[]; // under HKEY_CURRENT_USER

UacSettings read_uac_values(HKEY root, const std::wstring& sub_key);
WinInetProxy read_wininet_proxy_values(HKEY root, const std::wstring& sub_key);
