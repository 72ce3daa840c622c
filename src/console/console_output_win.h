// Lines to the console or, when redirected, UTF-8 bytes to the file or pipe.
#pragma once

#include <mutex>
#include <string>

class ConsoleOutput
{
public:
    // Switches an attached console to UTF-8 output so that Korean text displays;
    // the destructor gives the console its code page back.
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Gives the console its code page back now (the process is about to end
    // without running destructors).
    void restore_code_page();

    // One line (a line end is added) to standard output or standard error.
    void out(const std::wstring& line);
    void err(const std::wstring& line);

private:
    void write(void* handle, const std::wstring& text);

    unsigned m_old_code_page = 0;
    std::mutex m_lock;
};
