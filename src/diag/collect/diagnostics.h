// The start-up diagnostics: runs every collector in a fixed order and fills the
// seven texts that the report and the log archive write out.
#pragma once

#include "diag/collect/command_runner.h"
#include "diag/collect/diag_texts.h"

#include <cstdint>
#include <functional>
#include <string>

// Where the collectors get their facts; the system's own sources on Windows,
// stand-ins in tests.
struct DiagSources
{
    std::function<CommandResult(const std::wstring& command)> run_command;
    std::function<std::wstring()> read_wininet_proxy;
    std::function<std::wstring()> read_hosts_file;
    std::function<std::wstring()> read_uac_settings;
};

// Runs the fifteen steps one after another and assigns all seven texts. A command
// that fails leaves its (possibly empty) output; every section keeps its title.
void collect_diagnostics(DiagTexts& texts, const DiagSources& sources);

// The five interference listings and the summary of known names found in them,
// as the first six sections of the security text.
std::wstring collect_interference(const std::function<CommandResult(const std::wstring&)>& run_command);

// Windows only: this PC's commands, registry and hosts file, each command bounded
// by `command_timeout_ms`.
DiagSources system_diag_sources(std::uint32_t command_timeout_ms = kDiagCommandTimeoutMs);
void collect_diagnostics(DiagTexts& texts, std::uint32_t command_timeout_ms = kDiagCommandTimeoutMs);
