#include "app/instance_activation_win.h"

#include <tlhelp32.h>

#include <string>

namespace {

std::wstring own_file_name()
{
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring full(path);
    size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

bool is_gdiplus_helper(HWND w)
{
    wchar_t title[256] = {};
    GetWindowTextW(w, title, 255);
    return std::wstring(title).find(L"GDI+ Window") != std::wstring::npos;
}

// The first visible top-level window of the process in z-order. Hidden helper
// windows (GDI+, input method) can sit above the dialog and are passed over, so
// that the walk does not give up on a process that has a window to show.
HWND top_window_of(DWORD pid)
{
    for (HWND w = FindWindowW(nullptr, nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetParent(w) || !IsWindowVisible(w) || is_gdiplus_helper(w))
            continue;
        DWORD owner_pid = 0;
        GetWindowThreadProcessId(w, &owner_pid);
        if (owner_pid == pid)
            return w;
    }
    return nullptr;
}

} // namespace

HWND find_running_instance_window()
{
    DWORD self = GetCurrentProcessId();
    std::wstring name = own_file_name();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return nullptr;
    HWND found = nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snap, &entry); ok && !found; ok = Process32NextW(snap, &entry)) {
        if (entry.th32ProcessID == self || lstrcmpiW(entry.szExeFile, name.c_str()) != 0)
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        CloseHandle(process);
        HWND w = top_window_of(entry.th32ProcessID);
        if (w)
            found = w;
    }
    CloseHandle(snap);
    return found;
}

void activate_window(HWND window)
{
    if (!window)
        return;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    HWND foreground = GetForegroundWindow();
    if (!foreground || foreground == window)
        return;
    DWORD strange = GetWindowThreadProcessId(foreground, nullptr);
    DWORD my = GetCurrentThreadId();
    if (!AttachThreadInput(my, strange, TRUE))
        OutputDebugStringW(L"AttachThreadInput(Strange, My, TRUE) failed.\n");
    SetForegroundWindow(window);
    if (!AttachThreadInput(my, strange, FALSE))
        OutputDebugStringW(L"AttachThreadInput(Strange, My, FALSE) failed.\n");
}
