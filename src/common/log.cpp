#include "common/log.h"

#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/format.h"
#include "common/log_line.h"
#include "common/log_platform.h"
#include "common/text_convert.h"
#include "common/version_info.h"

#include <cstdarg>
#include <exception>


CSCLog* g_log = nullptr;

namespace {

// The one log of the process. It lives in this file together with g_log so that
// every executable referring to g_log (every SCLOG does) links it in.
CSCLog the_log;


std::wstring file_title(const std::wstring& path)
{
    return path_part(path, path_part_title);
}

}  // namespace

CSCLog::CSCLog()
    : m_lock(log_platform::create_lock()), m_start_time(current_unix_time())
{
    // The first log made (the static one) becomes the process's; logs made
    // later, by tests for example, do not take its place.
    if (!g_log) {
        g_log = this;
    }
}

CSCLog::~CSCLog()
{
    write_end_log();
    log_platform::exchange(&m_closing, 1);
    while (m_active_writers != 0) {
        log_platform::sleep_a_moment();
    }
    // Code that runs after this (other static objects' destructors) must see no
    // log rather than a destroyed one.
    if (g_log == this) {
        g_log = nullptr;
    }
    log_platform::enter(m_lock);
    close_file();
    log_platform::leave(m_lock);
    log_platform::destroy_lock(m_lock);
    m_lock = nullptr;
}

bool CSCLog::close_file()
{
    if (m_file) {
        fclose(m_file);
        m_file = nullptr;
    }
    return true;
}

std::wstring CSCLog::get_log_path()
{
    return m_log_path;
}

bool CSCLog::open_file(const std::wstring& folder, const std::wstring& base_name, int max_level)
{
    close_file();
    m_max_level = max_level;

    const std::wstring exe_path = module_file_path();
    const std::wstring exe_folder = module_folder();
    log_folder_choice choice = log_folder_from_setting(folder, exe_folder, path_separator);
    if (choice.resolve_full_path) {
        choice.folder = log_platform::full_path(choice.folder);
    }
    m_folder = choice.folder;

    if (!folder_exists(m_folder)) {
        ensure_folder(m_folder);  // a failure shows in the open below
    }

    m_base_name = base_name.empty() ? file_title(exe_path) : base_name;

    const local_time start = local_time_from_unix(m_start_time);
    m_log_path = log_file_path(m_folder, m_base_name, start, m_time_in_name, path_separator);
    m_file = log_platform::open_append(m_log_path);
    return m_file != nullptr;
}

std::wstring CSCLog::write(int level, const std::wstring& function, int line, const wchar_t* format, ...)
{
    std::wstring result;
    log_platform::increment(&m_active_writers);
    if (m_closing) {
        log_platform::decrement(&m_active_writers);
        return result;
    }
    log_platform::enter(m_lock);
    try {
        if (!m_file && level <= m_max_level) {
            if (!open_file(m_folder, m_base_name, m_max_level)) {
                log_platform::leave(m_lock);
                log_platform::decrement(&m_active_writers);
                return result;
            }
        }

        std::wstring message;
        va_list args;
        va_start(args, format);
        const bool formatted = try_vformat_text(message, format, args);
        va_end(args);
        if (!formatted) {
            close_file();
            log_platform::leave(m_lock);
            log_platform::decrement(&m_active_writers);
            return L"log_text.FormatV() exception.";
        }

        const std::size_t leading = strip_leading_line_feeds(message);
        const local_time now = current_local_time();
        const std::wstring function_text = m_show_function ? function : std::wstring();
        const std::wstring line_text = m_show_line ? format_text(L"%d", line) : std::wstring();

        if (leading == 0 && message.empty()) {
            if (m_file) {
                log_platform::write_text(m_file, L"\n");
                fflush(m_file);
            }
        } else {
            std::wstring text(leading, L'\n');
            result = build_log_line(now, function_text, line_text, level, message);
            if (m_file) {
                text += result;
                text += L'\n';
                log_platform::write_text(m_file, text);
                fflush(m_file);
            }
        }
    } catch (...) {
        // Logging never takes the program down; the line is lost.
    }
    close_file();
    log_platform::leave(m_lock);
    log_platform::decrement(&m_active_writers);
    return result;
}

void CSCLog::write_start_log()
{
    static const wchar_t* const function = L"CSCLog::write_start_log";
    write(0, function, 150, L"\n==================== Program Start ====================");
    write(0, function, 152, L"device name = %s", log_platform::device_name().c_str());
    write(0, function, 154, L"file version = %s", get_version_string(std::wstring(), L"FileVersion").c_str());

    local_time built;
    std::wstring built_text;
    if (file_modified_time(module_file_path(), built)) {
        built_text = format_date(built, L"-") + L" " + format_time(built, L":", true, true);
    }
    write(0, function, 158, L"built datetime = %s", built_text.c_str());
    write(0, function, 160, L"log path = %s", get_log_path().c_str());
}

void CSCLog::write_end_log()
{
    write(0, L"CSCLog::write_end_log", 167, L"==================== Program Exit ====================\n");
}

namespace vantu_log_detail {

std::wstring qualified_function_name(const char* pretty)
{
    if (!pretty) {
        return std::wstring();
    }
    const std::string text(pretty);
    // The name ends at the first "(" outside template brackets; it starts after the
    // last blank before that (which ends the return type).
    int depth = 0;
    std::size_t open = std::string::npos;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '<') {
            if (text.compare(i, 8, "<lambda(") == 0 && depth == 0 && i >= 2 && text.compare(i - 2, 2, "::") == 0) {
                open = i - 2;
                break;
            }
            ++depth;
        } else if (ch == '>') {
            if (depth > 0) {
                --depth;
            }
        } else if (ch == '(' && depth == 0) {
            if (i >= 8 && text.compare(i - 8, 8, "operator") == 0 && i + 1 < text.size() && text[i + 1] == ')') {
                ++i;  // "operator()": the parameters follow
                continue;
            }
            open = i;
            break;
        } else if (ch == ' ' && depth == 0) {
            if (!(i >= 8 && text.compare(i - 8, 8, "operator") == 0)) {
                start = i + 1;
            }
        }
    }
    std::string name = text.substr(start, open == std::string::npos ? std::string::npos : open - start);
    // Drop template arguments: "Foo<int>::bar" -> "Foo::bar".
    std::string plain;
    depth = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char ch = name[i];
        const bool is_operator_char = i >= 8 && name.compare(i - 8, 8, "operator") == 0;
        if (ch == '<' && !is_operator_char) {
            ++depth;
        } else if (ch == '>' && depth > 0 && !is_operator_char) {
            --depth;
        } else if (depth == 0) {
            plain += ch;
        }
    }
    while (!plain.empty() && (plain.front() == '*' || plain.front() == '&')) {
        plain.erase(0, 1);
    }
    return from_utf8(plain);
}

}  // namespace vantu_log_detail
