// The log's system side on Windows: a critical section, interlocked counters and
// the C runtime's UTF-8 text mode.
#include "common/log_platform.h"

#include "common/system_figures_win.h"

#include <windows.h>

#include <cstdio>

class CSCLogLock
{
public:
    CRITICAL_SECTION section;
};

namespace log_platform {

CSCLogLock* create_lock()
{
    auto* lock = new CSCLogLock;
    InitializeCriticalSection(&lock->section);
    return lock;
}

void destroy_lock(CSCLogLock* lock)
{
    if (lock) {
        DeleteCriticalSection(&lock->section);
        delete lock;
    }
}

void enter(CSCLogLock* lock) { EnterCriticalSection(&lock->section); }
void leave(CSCLogLock* lock) { LeaveCriticalSection(&lock->section); }

long increment(volatile long* value) { return InterlockedIncrement(reinterpret_cast<volatile LONG*>(value)); }
long decrement(volatile long* value) { return InterlockedDecrement(reinterpret_cast<volatile LONG*>(value)); }
long exchange(volatile long* value, long new_value)
{
    return InterlockedExchange(reinterpret_cast<volatile LONG*>(value), new_value);
}

void sleep_a_moment() { Sleep(1); }

FILE* open_append(const std::wstring& path)
{
    return _wfopen(path.c_str(), L"a,ccs=UTF-8");
}

void write_text(FILE* file, const std::wstring& text)
{
    // The stream is in UTF-8 text mode: it encodes and turns "\n" into CR LF.
    fputws(text.c_str(), file);
}

std::wstring full_path(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH) {
        return path;
    }
    return std::wstring(buffer, n);
}

std::wstring device_name()
{
    return computer_name();
}

}  // namespace log_platform
