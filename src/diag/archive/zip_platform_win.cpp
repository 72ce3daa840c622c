// Windows side of the ZIP writer's file operations.
#include "diag/archive/zip_platform.h"

#include "diag/archive/held_file_open_win.h"

#include <windows.h>

namespace vantu::zip {
namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116444736000000000LL;

std::int64_t unix_of(const FILETIME& ft)
{
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    if (v.QuadPart == 0)
        return 0;
    return (static_cast<std::int64_t>(v.QuadPart) - kEpochDifference) / 10000000LL;
}

FileStamp stamp_of(const BY_HANDLE_FILE_INFORMATION& info)
{
    FileStamp s;
    s.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.modified = unix_of(info.ftLastWriteTime);
    s.accessed = unix_of(info.ftLastAccessTime);
    s.created = unix_of(info.ftCreationTime);
    s.attributes = info.dwFileAttributes;
    return s;
}

class WinSource : public SourceFile
{
public:
    explicit WinSource(HANDLE h) : m_handle(h) {}
    ~WinSource() override { CloseHandle(m_handle); }
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(capacity > 0x40000000 ? 0x40000000 : capacity);
        if (!ReadFile(m_handle, buffer, want, &n, nullptr)) {
            got = 0;
            return false;
        }
        got = n;
        return true;
    }

private:
    HANDLE m_handle;
};

class WinArchive : public ArchiveFile
{
public:
    explicit WinArchive(HANDLE h) : m_handle(h) {}
    ~WinArchive() override { close(); }
    bool write(const void* data, std::size_t size) override
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            DWORD n = 0;
            const DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
            if (m_handle == INVALID_HANDLE_VALUE || !WriteFile(m_handle, p, chunk, &n, nullptr) || n != chunk)
                return false;
            p += n;
            size -= n;
        }
        return true;
    }
    bool seek(std::uint64_t offset) override
    {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return m_handle != INVALID_HANDLE_VALUE && SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN);
    }
    bool truncate_here() override
    {
        return m_handle != INVALID_HANDLE_VALUE && SetEndOfFile(m_handle);
    }
    bool close() override
    {
        if (m_handle == INVALID_HANDLE_VALUE)
            return true;
        const bool ok = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

} // namespace

std::unique_ptr<SourceFile> open_source(const std::wstring& path, OpenFailure* why)
{
    OpenFailure ignored;
    OpenFailure& failure = why ? *why : ignored;
    failure = OpenFailure::none;
    DWORD error = 0;
    HANDLE h = open_for_reading(path, error);
    if (h == INVALID_HANDLE_VALUE) {
        failure = open_failure_of(error, path);
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        failure = OpenFailure::other;
        return nullptr;
    }
    auto source = std::make_unique<WinSource>(h);
    source->stamp = stamp_of(info);
    return source;
}

bool read_stamp(const std::wstring& path, FileStamp& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = unix_of(data.ftLastWriteTime);
    stamp.accessed = unix_of(data.ftLastAccessTime);
    stamp.created = unix_of(data.ftCreationTime);
    stamp.attributes = data.dwFileAttributes;
    return true;
}

std::unique_ptr<ArchiveFile> create_archive_file(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WinArchive>(h);
}

bool copy_held_file(const std::wstring& from, const std::wstring& to)
{
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool delete_file(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != FALSE;
}

std::optional<std::string> system_ansi_name(const std::wstring& name)
{
    if (name.empty())
        return std::string();
    if (GetACP() == CP_UTF8) {
        // A UTF-8 "ANSI" code page: mark non-ASCII names as UTF-8 explicitly.
        for (wchar_t c : name)
            if (static_cast<unsigned>(c) >= 0x80)
                return std::nullopt;
    }
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()),
                                      nullptr, 0, nullptr, &used_default);
    if (n <= 0 || used_default)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()), out.data(), n,
                        nullptr, &used_default);
    if (used_default)
        return std::nullopt;
    return out;
}

std::optional<FolderId> folder_identity(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    FolderId id;
    id.volume = info.dwVolumeSerialNumber;
    id.file_low = info.nFileIndexLow;
    id.file_high = info.nFileIndexHigh;
    return id;
}

std::int64_t now_unix()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return unix_of(ft);
}

} // namespace vantu::zip
