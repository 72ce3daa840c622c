// A console program whose output and lifetime the command-runner tests control:
//   bytes <hex>        write exactly these bytes (blanks between them ignored)
//   interleave         alternate lines on standard output and standard error
//   flood <count>      write <count> bytes of 'x' lines in large blocks
//   hang-with-child    start a child that holds the output open, print both ids, wait forever
//   exit-leaving-child start such a child, print its id and exit at once
//   exit-leaving-detached-child  start a sleeping child that holds none of our handles,
//                      print its id and exit at once
//   sleep              wait forever
//   run-command <line> run <line> through the command runner, as the program does, without a bound
#include "diag/collect/command_runner.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void write_out(HANDLE handle, const std::string& bytes)
{
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD start_sleeping_child()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" sleep";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

// A sleeping child without standard handles or inherited handles: the pipe ends
// when this process exits, and the child lives on.
DWORD start_detached_sleeping_child()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" sleep";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"bytes" && argc > 2) {
        std::wstring hex;
        for (const wchar_t* c = argv[2]; *c; ++c)
            if (*c != L' ')
                hex += *c;
        std::string bytes;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16));
        write_out(out, bytes);
        return 0;
    }
    if (mode == L"interleave") {
        write_out(out, "out1\r\n");
        write_out(err, "err1\r\n");
        write_out(out, "out2\r\n");
        write_out(err, "err2\r\n");
        return 0;
    }
    if (mode == L"flood" && argc > 2) {
        // Lines of 100 bytes, written in blocks of 64 KB.
        long count = std::wcstol(argv[2], nullptr, 10);
        std::string line(99, 'x');
        line += '\n';
        std::string block;
        for (long i = 0; i < count / 100; ++i) {
            block += line;
            if (block.size() >= 65536) {
                write_out(out, block);
                block.clear();
            }
        }
        write_out(out, block);
        return 0;
    }
    if (mode == L"hang-with-child" || mode == L"exit-leaving-child") {
        DWORD child = start_sleeping_child();
        char text[64];
        std::snprintf(text, sizeof(text), "parent %lu child %lu\r\n", GetCurrentProcessId(), child);
        write_out(out, text);
        if (mode == L"exit-leaving-child")
            return 0;
        Sleep(INFINITE);
    }
    if (mode == L"exit-leaving-detached-child") {
        char text[64];
        std::snprintf(text, sizeof(text), "parent %lu child %lu\r\n", GetCurrentProcessId(),
                      start_detached_sleeping_child());
        write_out(out, text);
        return 0;
    }
    if (mode == L"sleep")
        Sleep(INFINITE);
    if (mode == L"run-command" && argc > 2) {
        run_command(argv[2], kNoCommandTimeout);
        return 0;
    }
    return 2;
}
