// The machine's figures for the report, gathered by the platform's file.
#pragma once

#include "diag/report/check_report.h"

// Version and time of the running executable, memory, drive C:, the folder
// access test in the shared documents folder, the monitors, the service's
// failure settings (when a service name is given) and the ANSI byte counter.
CheckReportFacts gather_check_report_facts(const std::wstring& service_name);

// Runs the folder access test below `base`: creates "__test_for_create_folder__",
// writes "__test_for_create_file__.txt" into it, deletes both.
DirectoryTestOutcome run_directory_test(const std::wstring& base);

// Date and time of a file's last modification as the report prints it; the date
// of time zero when it cannot be read.
std::wstring file_time_text(const std::wstring& path);

// The system's code of the last failed file operation of this thread.
std::uint32_t file_operation_error_code();
