#include "diag/collect/service_failure_config.h"

#include <cwchar>

void collect_service_failure_config(const std::wstring& service_name, std::FILE* report,
                                    std::uint32_t command_timeout_ms)
{
    if (service_name.empty() || !report)
        return;
    std::wstring section = service_failure_config_section(
        service_name, [command_timeout_ms](const std::wstring& command) {
            return run_command(command, command_timeout_ms);
        });
    std::fputws(section.c_str(), report);
}
