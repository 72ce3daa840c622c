// The program's diagnostic log: one file per day of program start in "Log" beside
// the executable, one line per call, used by every thread through g_log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class CSCLogLock;

class CSCLog
{
public:
    CSCLog();
    virtual ~CSCLog();

    CSCLog(const CSCLog&) = delete;
    CSCLog& operator=(const CSCLog&) = delete;

    // Formats the message (Windows printf convention: %s is a wide string) and
    // appends one line to the file. Returns the line as formatted, an empty string
    // when nothing was formatted, or "log_text.FormatV() exception." for a bad format.
    std::wstring write(int level, const std::wstring& function, int line, const wchar_t* format, ...);

    bool open_file(const std::wstring& folder, const std::wstring& base_name, int max_level);
    bool close_file();
    std::wstring get_log_path();

    void write_start_log();
    void write_end_log();

    CSCLogLock* m_lock;
    std::int64_t m_start_time;
    std::wstring m_log_path;
    std::wstring m_base_name;
    std::wstring m_folder;
    int m_max_level = 6;
    bool m_show_function = true;
    bool m_show_line = true;
    bool m_time_in_name = false;
    FILE* m_file = nullptr;
    volatile long m_active_writers = 0;
    volatile long m_closing = 0;
};

// The process-wide log; null means nothing is logged. It lives in the same object
// file as the one static CSCLog, so every executable that uses SCLOG links it in.
extern CSCLog* g_log;

namespace vantu_log_detail {
// "CMarloCheckToolDlg::check_server" from a __PRETTY_FUNCTION__ text.
std::wstring qualified_function_name(const char* pretty_function);
}

#if defined(__GNUC__)
#define VANTU_LOG_FUNCTION __PRETTY_FUNCTION__
#else
#define VANTU_LOG_FUNCTION __FUNCTION__
#endif

// SCLOG(level, L"format %s", args...): the one way every call site logs.
#define SCLOG(level, ...)                                                                   \
    (g_log                                                                                  \
         ? g_log->write((level), ::vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION), \
                                  __LINE__, __VA_ARGS__)                                    \
         : std::wstring())

// SCLOG_AS(L"Class::function", level, ...): the same under a function name of the
// caller's choosing, for a step whose log text names the function that owned it
// in the dialog although the code now lives in the engine.
#define SCLOG_AS(function, level, ...)                                                     \
    (g_log ? g_log->write((level), std::wstring(function), __LINE__, __VA_ARGS__) : std::wstring())
