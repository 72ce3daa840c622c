#include "diag/collect/diagnostics.h"

#include "diag/collect/hosts_file.h"
#include "diag/collect/uac_settings.h"
#include "diag/collect/wininet_proxy.h"

DiagSources system_diag_sources(std::uint32_t command_timeout_ms)
{
    DiagSources sources;
    sources.run_command = [command_timeout_ms](const std::wstring& command) {
        return run_command(command, command_timeout_ms);
    };
    sources.read_wininet_proxy = read_wininet_proxy;
    sources.read_hosts_file = read_hosts_file;
    sources.read_uac_settings = read_uac_settings;
    return sources;
}

void collect_diagnostics(DiagTexts& texts, std::uint32_t command_timeout_ms)
{
    collect_diagnostics(texts, system_diag_sources(command_timeout_ms));
}
