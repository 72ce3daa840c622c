// Copying a file that another program holds open without read sharing: the
// sharing rules stop every new open for reading, but the holder's own handle can
// still read. Find that handle among the system's open handles, duplicate it and
// copy the file through a read-only mapping, which leaves the holder's file
// position alone.
#include "diag/archive/held_file_copy_win.h"

#include <windows.h>

#include <map>
#include <vector>

namespace vantu::zip {
namespace {

struct HandleEntry
{
    PVOID object;
    ULONG_PTR process_id;
    ULONG_PTR handle_value;
    ULONG granted_access;
    USHORT creator_back_trace_index;
    USHORT object_type_index;
    ULONG handle_attributes;
    ULONG reserved;
};

struct HandleTable
{
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

bool read_handle_table(std::vector<unsigned char>& buffer)
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return false;
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (!query)
        return false;
    ULONG size = 1 << 20;
    for (int attempt = 0; attempt < 8; ++attempt) {
        buffer.assign(size, 0);
        ULONG needed = 0;
        const LONG status = query(kExtendedHandleInformation, buffer.data(), size, &needed);
        if (status >= 0)
            return true;
        if (status != kInfoLengthMismatch || size >= (256u << 20))
            return false;
        size = needed > size ? needed + (1 << 16) : size * 2;
    }
    return false;
}

bool same_file(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

bool copy_mapped(HANDLE source, const BY_HANDLE_FILE_INFORMATION& info, const std::wstring& to)
{
    HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    bool ok = true;
    if (size > 0) {
        ok = false;
        HANDLE mapping = CreateFileMappingW(source, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping) {
            const unsigned char* view = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
            if (view) {
                ok = true;
                std::uint64_t done = 0;
                while (ok && done < size) {
                    const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>(size - done, 1u << 24));
                    DWORD written = 0;
                    ok = WriteFile(out, view + done, chunk, &written, nullptr) && written == chunk;
                    done += chunk;
                }
                UnmapViewOfFile(view);
            }
            CloseHandle(mapping);
        }
    }
    // The copy carries the original's times, which the archive entry shows.
    if (ok)
        SetFileTime(out, &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime);
    const bool closed = CloseHandle(out) != FALSE;
    if (!ok || !closed)
        DeleteFileW(to.c_str());
    return ok && closed;
}

} // namespace

bool copy_through_holder(const std::wstring& from, const std::wstring& to)
{
    // Opening for attributes only never conflicts with the holder's sharing.
    HANDLE probe = CreateFileW(from.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION target{};
    const bool have_target = GetFileInformationByHandle(probe, &target) != FALSE;

    std::vector<unsigned char> buffer;
    bool copied = false;
    if (have_target && read_handle_table(buffer)) {
        const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        const ULONG_PTR max_count = (buffer.size() - offsetof(HandleTable, handles)) / sizeof(HandleEntry);
        const ULONG_PTR count = std::min<ULONG_PTR>(table->count, max_count);
        const ULONG_PTR self = GetCurrentProcessId();
        // The type index of file handles, learnt from our own probe handle.
        int file_type = -1;
        for (ULONG_PTR i = 0; i < count; ++i) {
            const HandleEntry& e = table->handles[i];
            if (e.process_id == self && e.handle_value == reinterpret_cast<ULONG_PTR>(probe)) {
                file_type = e.object_type_index;
                break;
            }
        }
        std::map<ULONG_PTR, HANDLE> processes;
        for (ULONG_PTR i = 0; i < count && !copied; ++i) {
            const HandleEntry& e = table->handles[i];
            if ((file_type >= 0 && e.object_type_index != file_type) || !(e.granted_access & FILE_READ_DATA))
                continue;
            if (e.process_id == self && e.handle_value == reinterpret_cast<ULONG_PTR>(probe))
                continue;
            HANDLE process = nullptr;
            if (e.process_id == self) {
                process = GetCurrentProcess();
            } else {
                auto it = processes.find(e.process_id);
                if (it == processes.end())
                    it = processes.emplace(e.process_id, OpenProcess(PROCESS_DUP_HANDLE, FALSE, static_cast<DWORD>(e.process_id))).first;
                process = it->second;
            }
            if (!process)
                continue;
            HANDLE dup = nullptr;
            if (!DuplicateHandle(process, reinterpret_cast<HANDLE>(e.handle_value), GetCurrentProcess(), &dup, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS))
                continue;
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileType(dup) == FILE_TYPE_DISK && GetFileInformationByHandle(dup, &info) && same_file(info, target)) {
                copied = copy_mapped(dup, info, to);
            }
            CloseHandle(dup);
        }
        for (auto& [pid, process] : processes)
            if (process)
                CloseHandle(process);
    }
    CloseHandle(probe);
    return copied;
}

} // namespace vantu::zip
