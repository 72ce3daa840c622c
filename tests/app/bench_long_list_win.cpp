// Benchmark, not a test: how the dialog keeps pace with its engine on long check
// lists. For each size it generates a check list of plain-TCP items against a
// listener in this process that accepts at once, then measures
//   - ready: from starting the program to its start button being enabled with
//     every row listed (the list comes from this process's own HTTP responder);
//   - run: from pressing "진단 시작" to the completion notice;
//   - the console front end's whole run on the same list (marlocheck --checklist).
// Prints medians and the dialog's overhead per item; asserts nothing.
//
//   scripts/wine-run build/win64/tests/app/bench_long_list_win.exe [runs] [sizes...]
//   (default: 1 run of 1, 50, 500 and 2000 items)
#include <winsock2.h> // before windows.h, which the support headers include

#include "support/win/environment.h"
#include "support/win/process_windows.h"
#include "support/win/processes.h"
#include "support/win/screenshot.h"

#include "bench_timing_win.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace test_support;
using bench::median;
using bench::seconds_since;
namespace fs = std::filesystem;

namespace {

const int kStartButton = 1009;

// A loopback listener on a free port whose thread hands each connection to `serve`.
class Listener
{
public:
    template <typename Serve>
    explicit Listener(Serve serve)
    {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(m_socket, SOMAXCONN) != 0 ||
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, serve] {
            for (;;) {
                SOCKET client = accept(m_socket, nullptr, nullptr);
                if (client == INVALID_SOCKET)
                    return; // closed at the end
                serve(client);
                closesocket(client);
            }
        });
    }
    ~Listener()
    {
        closesocket(m_socket);
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
    std::thread m_thread;
};

// Answers any request with the current check list.
void serve_check_list(SOCKET client, const std::string& body)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        request.append(buffer, static_cast<size_t>(got));
    }
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    send(client, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(client, SD_SEND);
}

// `items` plain-TCP items in three groups, all at the accepting port (an
// ephemeral port, above the handshake ports).
std::string check_list(int items, int port)
{
    const char* groups[] = {"session", "gateway", "ios"}; // socket kinds: a port above 8000 is a plain connect
    std::string json = "{\n"
                       " \"product path agent\": \"C:\\\\Program Files\\\\Vantu\\\\Agent\",\n"
                       " \"product path agent web\": \"C:\\\\Program Files\\\\Vantu\\\\AgentWeb\",\n"
                       " \"product path viewer\": \"C:\\\\Program Files\\\\Vantu\\\\Viewer\",\n"
                       " \"agent log path\": \"C:\\\\VantuLogs\\\\Agent\",\n"
                       " \"viewer log path\": \"C:\\\\VantuLogs\\\\Viewer\",\n";
    for (int g = 0; g < 3; ++g) {
        const int count = items / 3 + (g < items % 3 ? 1 : 0);
        if (count == 0)
            continue;
        json += std::string(" \"") + groups[g] + "\": [";
        for (int i = 0; i < count; ++i)
            json += (i ? ", \"127.0.0.1:" : "\"127.0.0.1:") + std::to_string(port) + "\"";
        json += "],\n";
    }
    json.erase(json.size() - 2, 1); // the last comma
    return json + "}\n";
}

HWND main_window(DWORD pid)
{
    return window_titled(pid, [](const std::wstring& t) { return t.rfind(L"Vantu Check Tool (ver. ", 0) == 0; });
}

// The notice that ends a run: the product's themed box.
HWND notice(DWORD pid)
{
    return window_titled(pid, [](const std::wstring& t) { return t == L"Vantu Check Tool"; });
}

// The log page's list: the one with seven columns.
HWND log_list(HWND dialog)
{
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM out) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 31);
            HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
            if (std::wstring(cls) == L"SysListView32" && header &&
                SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) == 7) {
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int log_rows(HWND dialog)
{
    HWND list = log_list(dialog);
    return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

// Polls `done` every `step_ms` for at most `limit` seconds (a benchmark's step,
// not a test's wait); false when it never held. Each look enumerates windows
// through the Wine server, which the program under test needs too: a run is
// watched in coarse steps so that watching does not slow what it measures.
template <typename Done>
bool poll(Done done, double limit, DWORD step_ms)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    while (!done()) {
        if (seconds_since(start) > limit)
            return false;
        Sleep(step_ms);
    }
    return true;
}

struct DialogFigures
{
    double ready = -1;
    double run = -1;
    SIZE_T peak_memory = 0;
};

DialogFigures time_dialog(const fs::path& program, int items, int web_port)
{
    DialogFigures out;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const std::wstring exe = program.wstring();
    if (!start_apart_from_output(exe, L"\"" + exe + L"\" --web-host 127.0.0.1:" + std::to_wstring(web_port),
                                 program.parent_path().wstring(), process))
        return out;
    HWND dialog = nullptr;
    if (poll(
            [&] {
                dialog = dialog ? dialog : main_window(process.dwProcessId);
                return dialog && enabled(dialog, kStartButton) && log_rows(dialog) == items + 1;
            },
            600, 5)) {
        out.ready = seconds_since(start);
        LARGE_INTEGER pressed;
        QueryPerformanceCounter(&pressed);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kStartButton)));
        // Pictures of a long run, once it has scrolled well down, and of its end
        // (in build/artifacts); taking them costs the run a few milliseconds.
        const std::wstring picture = L"long-list-" + std::to_wstring(items);
        bool pictured = items < 500;
        HWND list = log_list(dialog);
        if (poll(
                [&] {
                    if (!pictured && list && ListView_GetTopIndex(list) >= 100) {
                        save_screenshot(dialog, picture + L"-running");
                        pictured = true;
                    }
                    return notice(process.dwProcessId) != nullptr;
                },
                1800, 25))
            out.run = seconds_since(pressed);
        if (items >= 500)
            save_screen(picture + L"-finished");
        PROCESS_MEMORY_COUNTERS memory{};
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            out.peak_memory = memory.PeakWorkingSetSize;
    }
    end_process(process);
    return out;
}

double time_console(const fs::path& console, const fs::path& list)
{
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const std::wstring exe = console.wstring();
    if (!start_apart_from_output(exe, L"\"" + exe + L"\" --checklist \"" + list.wstring() + L"\"",
                                 console.parent_path().wstring(), process))
        return -1;
    const bool ended = WaitForSingleObject(process.hProcess, 1800 * 1000) == WAIT_OBJECT_0;
    const double seconds = seconds_since(start);
    end_process(process);
    return ended ? seconds : -1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1;
    if (env(L"VANTU_SOURCE_DIR").empty())
        SetEnvironmentVariableW(L"VANTU_SOURCE_DIR", VANTU_SOURCE_TREE); // for artifacts_dir()
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.push_back(std::max(1, _wtoi(argv[i])));
    if (sizes.empty())
        sizes = {1, 50, 500, 2000};

    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    Listener accepting([](SOCKET) {});
    std::string body;
    std::atomic<bool> body_ready{false};
    Listener web([&](SOCKET client) {
        if (body_ready)
            serve_check_list(client, body);
    });

    // Copies in a folder of their own: the program writes its log beside itself.
    const fs::path folder = fs::temp_directory_path() / L"vantu-bench-long-list";
    fs::create_directories(folder);
    const fs::path program = folder / L"MarloCheckTool.exe";
    const fs::path console = folder / L"marlocheck.exe";
    CopyFileW(wine_path(VANTU_APP_EXE).c_str(), program.c_str(), FALSE);
    CopyFileW(wine_path(VANTU_CONSOLE_EXE).c_str(), console.c_str(), FALSE);
    const fs::path list_file = folder / L"checklist.json";

    std::printf("plain-TCP items against a loopback listener that accepts at once; median of %d run(s)\n", runs);
    std::printf("%6s  %10s  %10s  %10s  %9s  %14s  %9s\n", "items", "ready", "dialog run", "console", "run/cons",
                "overhead/item", "peak MB");
    double ready_one = -1;
    for (int items : sizes) {
        body_ready = false;
        body = check_list(items, accepting.port());
        body_ready = true;
        std::ofstream(list_file, std::ios::binary) << body;
        std::vector<double> ready, run, console_run, peak;
        for (int r = 0; r < runs; ++r) {
            const DialogFigures d = time_dialog(program, items, web.port());
            ready.push_back(d.ready);
            run.push_back(d.run);
            peak.push_back(d.peak_memory / 1048576.0);
            console_run.push_back(time_console(console, list_file));
        }
        const double rd = median(ready), rn = median(run), cn = median(console_run);
        if (items == 1)
            ready_one = rd;
        std::printf("%6d  %9.2fs  %9.2fs  %9.2fs  %9.2f  %11.2f ms  %9.1f", items, rd, rn, cn, cn > 0 ? rn / cn : 0.0,
                    (rn - cn) * 1000.0 / items, median(peak));
        if (ready_one > 0 && items != 1)
            std::printf("   ready - ready(1 item) %.2f s", rd - ready_one);
        std::printf("\n");
        std::fflush(stdout);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    WSACleanup();
    return 0;
}
