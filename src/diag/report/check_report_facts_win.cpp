// The report's machine figures on Windows.
#include "diag/report/check_report_facts.h"

#include "common/file_utils.h"
#include "common/registry_win.h"
#include "common/monitors_win.h"
#include "common/system_figures_win.h"
#include "common/version_info.h"
#include "diag/collect/service_failure_config.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::size_t ansi_length(const std::wstring& text)
{
    if (text.empty())
        return 0;
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    return n > 0 ? static_cast<std::size_t>(n) : text.size();
}

// "Windows 10 Pro 22H2 (19045)" from the values Windows keeps about itself.
std::wstring windows_version()
{
    const wchar_t key[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::wstring product, display, build;
    read_registry_string(HKEY_LOCAL_MACHINE, key, L"ProductName", product);
    if (read_registry_string(HKEY_LOCAL_MACHINE, key, L"DisplayVersion", display) != ERROR_SUCCESS)
        read_registry_string(HKEY_LOCAL_MACHINE, key, L"ReleaseId", display);
    read_registry_string(HKEY_LOCAL_MACHINE, key, L"CurrentBuildNumber", build);
    std::wstring text = product.empty() ? L"Windows" : product;
    if (!display.empty())
        text += L" " + display;
    if (!build.empty())
        text += L" (" + build + L")";
    return text;
}

} // namespace

std::uint32_t file_operation_error_code()
{
    return GetLastError();
}

CheckReportFacts gather_check_report_facts(const std::wstring& service_name)
{
    CheckReportFacts f;
    f.version = get_version_string(L"", L"FileVersion");
    f.built_time = file_time_text(module_file_path());
    const memory_figures memory = memory_status();
    f.memory_available = memory.available_bytes;
    f.memory_total = memory.total_bytes;
    f.disk_free = disk_free_bytes(L"C:\\");
    f.disk_total = disk_total_bytes(L"C:\\");
    f.directory_auth = directory_test_lines(run_directory_test(special_folder_path(CSIDL_COMMON_DOCUMENTS)));
    refresh_monitor_list();
    for (const monitor_record& m : g_monitors)
        f.monitors.push_back({m.monitor_rect.left, m.monitor_rect.top, m.monitor_rect.right, m.monitor_rect.bottom});
    if (!service_name.empty())
        f.service_failure_section = service_failure_config_section(service_name, [](const std::wstring& command) {
            return run_command(command, kDiagCommandTimeoutMs);
        });
    f.ansi_length = ansi_length;
    f.windows_version = windows_version();
    return f;
}
