#include "support/win/process_windows.h"

namespace test_support {

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

} // namespace

std::vector<HWND> visible_top_windows(DWORD pid)
{
    WindowSearch search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring title_of(HWND window)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 511);
    return buffer;
}

HWND window_titled(DWORD pid, const std::function<bool(const std::wstring&)>& match)
{
    for (HWND w : visible_top_windows(pid))
        if (match(title_of(w)))
            return w;
    return nullptr;
}

bool enabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size) : m_process(process)
{
    m_at = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer()
{
    if (m_at)
        VirtualFreeEx(m_process, m_at, 0, MEM_RELEASE);
}

bool RemoteBuffer::write(const void* data, std::size_t size, std::size_t offset)
{
    SIZE_T done = 0;
    return m_at && WriteProcessMemory(m_process, static_cast<char*>(m_at) + offset, data, size, &done) &&
           done == size;
}

bool RemoteBuffer::read(void* data, std::size_t size, std::size_t offset) const
{
    SIZE_T done = 0;
    return m_at && ReadProcessMemory(m_process, static_cast<char*>(m_at) + offset, data, size, &done) &&
           done == size;
}

} // namespace test_support
