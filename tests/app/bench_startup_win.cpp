// Benchmark, not a test: the time from starting the program to its main window
// being shown, against a bare Win32 window started the same way. Prints the
// median of several runs and the ratio; asserts nothing.
//
//   scripts/wine-run build/win64/tests/app/bench_startup_win.exe [runs]
//
// The program is pointed at a closed loopback port (--web-host), so the check
// list download fails at once and nothing waits on the network.
#include "support/win/environment.h"
#include "support/win/process_windows.h"
#include "support/win/processes.h"

#include "bench_timing_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

using namespace test_support;
using bench::median;
using bench::seconds_since;
namespace fs = std::filesystem;

namespace {

// Local time of the last "Program Start" banner in the program's log beside it,
// as a FILETIME count; 0 when there is none.
std::uint64_t last_banner_time(const fs::path& folder)
{
    std::uint64_t found = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder / L"Log", ec)) {
        FILE* f = _wfopen(entry.path().c_str(), L"rb");
        if (!f)
            continue;
        char line[1024];
        while (std::fgets(line, sizeof line, f)) {
            SYSTEMTIME st{};
            unsigned y, mo, d, h, mi, sec, ms;
            if (!std::strstr(line, "Program Start") ||
                std::sscanf(line, "[%u/%u/%u %u:%u:%u.%u]", &y, &mo, &d, &h, &mi, &sec, &ms) != 7)
                continue;
            st = SYSTEMTIME{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(sec), WORD(ms)};
            FILETIME ft;
            if (SystemTimeToFileTime(&st, &ft))
                found = (std::uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        }
        std::fclose(f);
    }
    return found;
}

// Seconds until a visible top-level window whose title starts with `title`
// belongs to the started process; negative when none came within 60 s. With
// `banner`, also the seconds from the process's creation to its log's start
// banner (run-time start, single-instance check, sockets), the rest being the
// dialog's creation.
double time_to_window(const std::wstring& exe, const std::wstring& arguments, const std::wstring& title,
                      double* banner = nullptr)
{
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!start_apart_from_output(exe, L"\"" + exe + L"\" " + arguments, fs::path(exe).parent_path().wstring(),
                                 process))
        return -1;
    double seconds = -1;
    while (seconds_since(start) < 60) {
        if (window_titled(process.dwProcessId, [&](const std::wstring& t) { return t.rfind(title, 0) == 0; })) {
            seconds = seconds_since(start);
            break;
        }
        Sleep(1); // a benchmark's polling step, not a test's wait
    }
    FILETIME created, exited, kernel, user, local;
    const bool have_times = GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user) &&
                            FileTimeToLocalFileTime(&created, &local);
    end_process(process);
    if (banner && have_times) {
        const std::uint64_t start = (std::uint64_t(local.dwHighDateTime) << 32) | local.dwLowDateTime;
        const std::uint64_t logged = last_banner_time(fs::path(exe).parent_path());
        *banner = logged > start ? (logged - start) / 1e7 : -1;
    }
    return seconds;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    // Copies in a folder of their own: the program writes its log beside itself.
    const fs::path folder = fs::temp_directory_path() / L"vantu-bench-startup";
    fs::create_directories(folder);
    const fs::path program = folder / L"MarloCheckTool.exe";
    const fs::path bare = folder / L"bench_bare_window_win.exe";
    const std::wstring app_exe = wine_path(VANTU_APP_EXE), bare_exe = wine_path(VANTU_BARE_EXE);
    CopyFileW(app_exe.c_str(), program.c_str(), FALSE);
    CopyFileW(bare_exe.c_str(), bare.c_str(), FALSE);

    std::vector<double> program_times, bare_times, banner_times;
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that a slow moment of the machine hits both alike.
        bare_times.push_back(time_to_window(bare.wstring(), L"", L"Bare window"));
        double banner = -1;
        program_times.push_back(
            time_to_window(program.wstring(), L"--web-host 127.0.0.1:9", L"Vantu Check Tool (ver. ", &banner));
        banner_times.push_back(banner);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    const double p = median(program_times), b = median(bare_times);
    std::printf("start to main window shown, median of %d runs\n", runs);
    std::printf("MarloCheckTool.exe : %.3f s (process creation to the log's start banner %.3f s)\n", p,
                median(banner_times));
    std::printf("bare Win32 window  : %.3f s\n", b);
    std::printf("ratio              : %.2f\n", b > 0 && p > 0 ? p / b : 0.0);
    std::printf("executable sizes   : MarloCheckTool.exe %ju bytes, bare window %ju bytes\n",
                static_cast<std::uintmax_t>(fs::file_size(app_exe)), static_cast<std::uintmax_t>(fs::file_size(bare_exe)));
    return 0;
}
