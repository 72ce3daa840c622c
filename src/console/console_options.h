// The command line of marlocheck.exe, the console front end for unattended runs.
#pragma once

#include <string>
#include <vector>

// What the process returns. Management tools read these; keep them stable.
enum ConsoleExitStatus
{
    kExitAllPassed = 0,     // every item passed
    kExitItemsFailed = 1,   // at least one item failed or was unstable
    kExitNoCheckList = 2,   // the check list could not be had or was rejected
    kExitStopped = 3,       // stopped with Ctrl+C (or Ctrl+Break)
    kExitOutputFailed = 4,  // the JSON file or the log archive could not be written
    kExitUsage = 64,        // the command line was not understood
};

struct ConsoleOptions
{
    std::wstring web_host;
    int web_port = 80;
    std::wstring checklist_file; // empty: download the check list
    bool save = false;
    bool redact = false;              // --redact: the saved archive is redacted (needs --save)
    std::wstring redact_archive_in;   // --redact-archive IN OUT: redact an earlier archive, run nothing
    std::wstring redact_archive_out;
    std::wstring json_file;      // empty: no JSON file
    bool help = false;
    // Empty when the command line was understood; otherwise what was wrong.
    std::wstring error;
};

// Reads the arguments (without the program name). Every option also takes the
// form --name=VALUE. Anything unknown, a missing value, a malformed host or a
// second word where none belongs is an error.
ConsoleOptions parse_console_options(const std::vector<std::wstring>& args, const std::wstring& default_host,
                                     int default_port = 80);

// The text --help prints (and that follows a command-line error).
std::wstring console_usage();
