// The report's machine figures in the native tree: the same sections from the
// POSIX equivalents (no version resources, no monitors, the temporary folder in
// place of the shared documents folder).
#include "diag/report/check_report_facts.h"


#include "common/file_utils.h"
#include "common/text_convert.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

#include <cerrno>
#include <filesystem>

// errno stands in for the system error codes of Windows.
std::uint32_t file_operation_error_code()
{
    return static_cast<std::uint32_t>(errno);
}

CheckReportFacts gather_check_report_facts(const std::wstring& service_name)
{
    CheckReportFacts f;
    f.built_time = file_time_text(module_file_path());
    struct sysinfo si{};
    if (sysinfo(&si) == 0) {
        f.memory_total = static_cast<std::uint64_t>(si.totalram) * si.mem_unit;
        f.memory_available = static_cast<std::uint64_t>(si.freeram) * si.mem_unit;
    }
    struct statvfs vs{};
    if (statvfs("/", &vs) == 0) {
        f.disk_total = static_cast<std::uint64_t>(vs.f_blocks) * vs.f_frsize;
        f.disk_free = static_cast<std::uint64_t>(vs.f_bavail) * vs.f_frsize;
    }
    std::error_code ec;
    f.directory_auth = directory_test_lines(run_directory_test(std::filesystem::temp_directory_path(ec).wstring()));
    f.ansi_length = [](const std::wstring& t) { return to_system_narrow(t).size(); };
    return f;
}

