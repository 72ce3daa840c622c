// Figures of the machine: memory, disks, shell folders, name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct memory_figures
{
    std::uint64_t available_bytes = 0;
    std::uint64_t total_bytes = 0;
};
// Physical memory; zeros when the system does not answer.
memory_figures memory_status();

// drive: "C" or "C:\". 0 for a CD-ROM drive or a drive that does not answer.
std::uint64_t disk_total_bytes(const std::wstring& drive);
std::uint64_t disk_free_bytes(const std::wstring& drive);

// CSIDL_SYSTEM, CSIDL_COMMON_DOCUMENTS, CSIDL_LOCAL_APPDATA ...; empty when unknown.
std::wstring special_folder_path(int csidl);

// The computer's physical DNS host name.
std::wstring computer_name();
