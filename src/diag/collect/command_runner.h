// Runs one console command line through cmd.exe, hidden, and keeps everything it
// printed on standard output and standard error as text.
#pragma once

#include <cstdint>
#include <string>

// No limit: wait for as long as the command runs.
constexpr std::uint32_t kNoCommandTimeout = 0xFFFFFFFF;

// Bound for one diagnostic command. Generous: systeminfo, the CIM queries and the
// 500-event queries take tens of seconds on a slow PC, but a hung command must not
// keep log saving (which waits for the diagnostics) from ever finishing.
constexpr std::uint32_t kDiagCommandTimeoutMs = 5 * 60 * 1000;

struct CommandResult
{
    std::wstring output;          // decoded stdout and stderr, CR LF made LF
    bool started = false;         // the interpreter could be started
    bool timed_out = false;       // ran over the bound; it was ended with every process it started
    std::uint32_t timeout_ms = kNoCommandTimeout;
    std::int64_t exit_code = -1;  // the interpreter's exit status; -1 when it did not end by itself
};

// "cmd.exe /s /c "<command>"": /s strips exactly the outer quotes, so quotes
// inside the command reach the interpreter unchanged.
std::wstring console_command_line(const std::wstring& command);

// The line put at the top of a body whose command was ended for running over
// `timeout_ms`, so a reader knows the text is cut short.
std::wstring command_timeout_note(std::uint32_t timeout_ms);

// `body` with the time-out note in front when `result` ran over its bound.
std::wstring with_timeout_note(const CommandResult& result, const std::wstring& body);

// Runs the command (Windows only). When it has not finished, output and exit,
// within `timeout_ms` (kNoCommandTimeout = no limit), the command and every
// process it started are ended and whatever was read until then is kept.
CommandResult run_command(const std::wstring& command, std::uint32_t timeout_ms);

// The output alone, with the time-out note in front when it ran over; empty when
// the interpreter could not be started or the command printed nothing.
std::wstring run_console_command(const std::wstring& command, std::uint32_t timeout_ms);
