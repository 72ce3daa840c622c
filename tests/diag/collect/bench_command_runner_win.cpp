// Prints what running commands costs on this system: interpreter start, output
// throughput, how soon a command over its bound is ended, the whole collection.
#include "diag/collect/command_runner.h"
#include "diag/collect/diagnostics.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::wstring probe()
{
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return L"\"" + path.substr(0, path.find_last_of(L'\\') + 1) + L"command_probe.exe\"";
}

} // namespace

int main()
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i)
        run_console_command(L"rem", kNoCommandTimeout);
    std::printf("empty command (cmd.exe start and exit): %8.1f ms each\n", seconds_since(start) * 100);

    start = std::chrono::steady_clock::now();
    CommandResult flood = run_command(probe() + L" flood 20000000", kDiagCommandTimeoutMs);
    double spent = seconds_since(start);
    std::printf("20 MB of output read and decoded:       %8.1f ms (%.1f MB/s, %zu characters)\n", spent * 1000,
                20.0 / spent, flood.output.size());

    start = std::chrono::steady_clock::now();
    CommandResult hung = run_command(probe() + L" hang-with-child", 2000);
    std::printf("hung command with a 2000 ms bound:      %8.1f ms until returned (timed out: %s)\n",
                seconds_since(start) * 1000, hung.timed_out ? "yes" : "no");

    start = std::chrono::steady_clock::now();
    DiagTexts texts;
    collect_diagnostics(texts);
    std::printf("collect_diagnostics, all fifteen steps: %8.1f s (network %zu, security %zu characters)\n",
                seconds_since(start), texts.network_text.size(), texts.security_text.size());
    return 0;
}
