// The failure-recovery settings of the product's service, for the report.
#pragma once

#include "diag/collect/command_runner.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// A service name that can go on a cmd.exe line as one argument: not empty, no
// quote, percent sign, caret, line break or other control character, no slash.
bool is_safe_service_name(const std::wstring& service_name);

// The "Service Failure Config" section: "sc qfailure" and "sc qfailureflag" with
// an explanation of the flag. Empty when no service name is set.
std::wstring service_failure_config_section(const std::wstring& service_name,
                                            const std::function<CommandResult(const std::wstring&)>& run_command);

// Windows only: runs the commands and writes the section into the open report.
void collect_service_failure_config(const std::wstring& service_name, std::FILE* report,
                                    std::uint32_t command_timeout_ms = kDiagCommandTimeoutMs);
