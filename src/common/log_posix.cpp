// The log's system side outside Windows: a mutex, atomic counters and a file
// written as UTF-8 with byte-order mark and CR LF by our own code, so that the
// file is the same in both trees.
#include "common/log_platform.h"

#include "common/file_utils.h"
#include "common/text_convert.h"

#include <filesystem>
#include <unistd.h>
#include <mutex>
#include <thread>

class CSCLogLock
{
public:
    std::mutex mutex;
};

namespace log_platform {

CSCLogLock* create_lock() { return new CSCLogLock; }
void destroy_lock(CSCLogLock* lock) { delete lock; }
void enter(CSCLogLock* lock) { lock->mutex.lock(); }
void leave(CSCLogLock* lock) { lock->mutex.unlock(); }

long increment(volatile long* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }
long decrement(volatile long* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }
long exchange(volatile long* value, long new_value) { return __atomic_exchange_n(value, new_value, __ATOMIC_SEQ_CST); }

void sleep_a_moment() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

FILE* open_append(const std::wstring& path)
{
    FILE* file = open_file_stream(path, L"ab");
    if (!file) {
        return nullptr;
    }
    if (fseek(file, 0, SEEK_END) == 0 && ftell(file) == 0) {
        fwrite("\xEF\xBB\xBF", 1, 3, file);
    }
    return file;
}

void write_text(FILE* file, const std::wstring& text)
{
    std::wstring crlf;
    crlf.reserve(text.size() + 8);
    for (const wchar_t ch : text) {
        if (ch == L'\n') {
            crlf += L'\r';
        }
        crlf += ch;
    }
    const std::string bytes = to_utf8(crlf);
    fwrite(bytes.data(), 1, bytes.size(), file);
}

std::wstring full_path(const std::wstring& path)
{
    std::error_code ec;
    const auto p = std::filesystem::absolute(std::filesystem::path(to_utf8(path)), ec);
    if (ec) {
        return path;
    }
    return from_utf8(p.lexically_normal().string());
}

std::wstring device_name()
{
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return std::wstring();
    return from_utf8(name);
}

}  // namespace log_platform
