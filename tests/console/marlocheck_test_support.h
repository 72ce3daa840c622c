// Running marlocheck.exe from a test under Wine: check lists for the test server
// and the program's output captured.
#pragma once

#include "common/text_convert.h"
#include "diag/archive/archive_test_support.h"
#include "support/win/environment.h"
#include "support/win/processes.h"
#include "support/win/test_server.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace console_test {

// The shared helpers (environment, waiting, the test server) come with this namespace.
using namespace test_support;

inline constexpr DWORD kRunLimitMs = 120000;

inline std::string entry(const wchar_t* port_variable)
{
    return "\"127.0.0.1:" + std::to_string(test_server_port(port_variable)) + "\"";
}

// The three required paths, optional log folders and the given server members.
inline std::string check_list(const std::string& servers, const std::wstring& agent_log = L"C:\\VantuLogs\\Agent",
                       const std::wstring& viewer_log = L"", const std::wstring& agent = L"C:\\Program Files\\Vantu\\Agent")
{
    std::string text = "{\n \"product path agent\": \"" + json_path(agent) +
                       "\",\n \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
                       " \"agent log path\": \"" + json_path(agent_log) + "\",\n";
    if (!viewer_log.empty())
        text += " \"viewer log path\": \"" + json_path(viewer_log) + "\",\n";
    return text + servers + "\n}\n";
}

// One run of marlocheck.exe with both output streams captured.
class Marlocheck
{
public:
    ~Marlocheck()
    {
        end_process(m_process);
        m_ended = true;
        for (std::thread& t : m_readers)
            if (t.joinable())
                t.join();
    }

    // own_console: a console and process group of its own, so that a console
    // control event can be sent to it alone.
    bool start(const std::wstring& args, bool own_console = false)
    {
        const std::wstring exe = wine_path(VANTU_MARLOCHECK_EXE);
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE out_read = nullptr, out_write = nullptr, err_read = nullptr, err_write = nullptr;
        if (!CreatePipe(&out_read, &out_write, &sa, 0) || !CreatePipe(&err_read, &err_write, &sa, 0))
            return false;
        SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = out_write;
        si.hStdError = err_write;
        const DWORD flags = own_console ? (CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP) : 0;
        const BOOL made =
            CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &si, &m_process);
        CloseHandle(out_write);
        CloseHandle(err_write);
        if (!made) {
            CloseHandle(out_read);
            CloseHandle(err_read);
            return false;
        }
        m_readers.emplace_back([this, out_read] { read_all(out_read, m_out); });
        m_readers.emplace_back([this, err_read] { read_all(err_read, m_err); });
        return true;
    }

    // Ends with the exit status; false when it did not end in time.
    bool finish(DWORD limit_ms = kRunLimitMs)
    {
        if (WaitForSingleObject(m_process.hProcess, limit_ms) != WAIT_OBJECT_0)
            return false;
        m_ended = true;
        for (std::thread& t : m_readers)
            t.join();
        m_readers.clear();
        GetExitCodeProcess(m_process.hProcess, &m_exit);
        return true;
    }

    DWORD exit_code() const { return m_exit; }
    DWORD pid() const { return m_process.dwProcessId; }
    std::string out()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_out;
    }
    std::string err()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_err;
    }
    std::vector<std::string> out_lines()
    {
        std::vector<std::string> lines;
        const std::string text = out();
        size_t start = 0;
        for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

private:
    // Reads until every writer has closed the pipe, or until the program has
    // ended and nothing is left in it: under Wine a process the program started
    // (Wine's desktop among them) can hold the pipe long after the program is gone.
    void read_all(HANDLE pipe, std::string& into)
    {
        char buffer[4096];
        for (;;) {
            // Whether the program had ended is read before the pipe is looked at:
            // an empty pipe seen before its last lines were written, followed by
            // an end seen after them, lost those lines.
            const bool ended = m_ended;
            DWORD available = 0;
            if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
                // Every writer has gone; what they wrote may still be there.
                DWORD n = 0;
                while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
                    std::lock_guard<std::mutex> hold(m_lock);
                    into.append(buffer, n);
                }
                break;
            }
            if (available == 0) {
                if (ended)
                    break;
                Sleep(10);
                continue;
            }
            DWORD n = 0;
            if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &n, nullptr) || n == 0)
                break;
            std::lock_guard<std::mutex> hold(m_lock);
            into.append(buffer, n);
        }
        CloseHandle(pipe);
    }

    PROCESS_INFORMATION m_process{};
    std::atomic<bool> m_ended{false};
    std::vector<std::thread> m_readers;
    std::mutex m_lock;
    std::string m_out, m_err;
    DWORD m_exit = 0xFFFFFFFF;
};

// A run to its end; its status, output and error output.
struct RunResult
{
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
    std::vector<std::string> lines;
};

inline RunResult run_marlocheck(const std::wstring& args)
{
    RunResult r;
    Marlocheck m;
    EXPECT_TRUE(m.start(args));
    EXPECT_TRUE(m.finish()) << "marlocheck did not end";
    r.status = m.exit_code();
    r.out = m.out();
    r.err = m.err();
    r.lines = m.out_lines();
    return r;
}

// Ctrl+C as the console delivers it: through the console the program runs in,
// to its process group, reaching its console control handler.
inline bool send_ctrl_c(DWORD pid)
{
    FreeConsole();
    if (!AttachConsole(pid)) {
        ADD_FAILURE() << "AttachConsole " << GetLastError();
        return false;
    }
    SetConsoleCtrlHandler(nullptr, TRUE); // this process ignores it
    const BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, pid);
    const DWORD error = GetLastError();
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, FALSE);
    if (!sent)
        ADD_FAILURE() << "GenerateConsoleCtrlEvent " << error;
    return sent != 0;
}

// Tests of marlocheck.exe against the test server: its ports are there and its
// rules reset before each test; a scratch folder of the test's own.
class ConsoleServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_GT(test_server_port(L"VANTU_TS_HTTP_PORT"), 0) << "the test server's ports are missing";
        server_call(L"/__control/reset", L"POST");
    }
    archive_test::ScratchFolder scratch;
};

inline std::wstring web_host_option()
{
    return L"--web-host 127.0.0.1:" + std::to_wstring(http_port());
}

inline bool contains(const std::string& text, const std::wstring& needle)
{
    return text.find(to_utf8(needle)) != std::string::npos;
}

} // namespace console_test
