// The product the tool checks: its name, used in the report and the archive
// names, and its executables, used as event-log keywords.
#pragma once

#include <deque>
#include <string>

inline constexpr const wchar_t* kProductName = L"Vantu";

inline std::deque<std::wstring> product_processes()
{
    return {L"VantuHostSvr.exe", L"VantuServer.exe", L"VantuManager.exe", L"VantuViewer.exe"};
}
