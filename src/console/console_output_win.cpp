#include "console/console_output_win.h"

#include "common/text_convert.h"

#include <windows.h>

ConsoleOutput::ConsoleOutput()
{
    // 0 when the process has no console.
    m_old_code_page = GetConsoleOutputCP();
    if (m_old_code_page != 0 && m_old_code_page != CP_UTF8)
        SetConsoleOutputCP(CP_UTF8);
}

ConsoleOutput::~ConsoleOutput()
{
    restore_code_page();
}

void ConsoleOutput::restore_code_page()
{
    if (m_old_code_page != 0 && m_old_code_page != CP_UTF8)
        SetConsoleOutputCP(m_old_code_page);
}

void ConsoleOutput::out(const std::wstring& line)
{
    write(GetStdHandle(STD_OUTPUT_HANDLE), line + L"\r\n");
}

void ConsoleOutput::err(const std::wstring& line)
{
    write(GetStdHandle(STD_ERROR_HANDLE), line + L"\r\n");
}

void ConsoleOutput::write(void* handle, const std::wstring& text)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows wide text as it is, whatever its code page.
        const wchar_t* p = text.c_str();
        size_t left = text.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(left > 8192 ? 8192 : left);
            if (!WriteConsoleW(handle, p, chunk, &written, nullptr) || written == 0)
                return;
            p += written;
            left -= written;
        }
        return;
    }
    // A file or a pipe: UTF-8 with CR LF line ends, as management tools capture it.
    std::wstring lines;
    lines.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            lines += L'\r';
        lines += text[i];
    }
    const std::string bytes = to_utf8(lines);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(left > 65536 ? 65536 : left);
        if (!WriteFile(handle, p, chunk, &written, nullptr) || written == 0)
            return; // a closed pipe: nothing more can be said
        p += written;
        left -= written;
    }
}
