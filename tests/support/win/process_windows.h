// Windows of another process, as a test finds and reads them: its visible
// top-level windows by title, its dialogs' controls, and memory in that process
// for messages whose argument is a pointer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// The process's visible top-level windows, in Z order.
std::vector<HWND> visible_top_windows(DWORD pid);
// A window's title (its text), up to 511 characters.
std::wstring title_of(HWND window);
// The first of the process's visible top-level windows whose title matches; null if none.
HWND window_titled(DWORD pid, const std::function<bool(const std::wstring&)>& match);
// Whether the dialog has the control and it is enabled.
bool enabled(HWND dialog, int id);

// Messages whose argument is a pointer are answered in the other process's own
// address space: the argument is copied there and back.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* at() const { return m_at; }
    bool write(const void* data, std::size_t size, std::size_t offset = 0);
    bool read(void* data, std::size_t size, std::size_t offset = 0) const;

private:
    HANDLE m_process;
    void* m_at = nullptr;
};

} // namespace test_support
