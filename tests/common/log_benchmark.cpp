// Prints what one log line costs (every line opens, writes, flushes and closes the
// file) and how fast the formatter is. Not a test: run it by hand in either tree.
#include "common/file_utils.h"
#include "common/format.h"
#include "common/log.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main()
{
    const std::wstring folder = module_folder() + path_separator + L"log_benchmark";
    delete_folder_tree(folder);

    constexpr int lines = 2000;
    {
        CSCLog log;
        log.m_folder = folder;
        log.m_show_function = false;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lines; ++i) {
            log.write(0, L"", __LINE__, L"failed to connect to the server (ip=%s)(port=%d)(error=%d)", L"10.0.0.1", 443, i);
        }
        const double s = seconds_since(start);
        std::printf("log, one thread:    %d lines in %.3f s = %.0f lines/s (%.1f us/line)\n", lines, s, lines / s,
                    s * 1e6 / lines);
    }
    {
        CSCLog log;
        log.m_folder = folder;
        constexpr int threads = 4;
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&log, t] {
                for (int i = 0; i < lines / threads; ++i) {
                    log.write(1, L"worker", t, L"line %d", i);
                }
            });
        }
        for (auto& w : workers) {
            w.join();
        }
        const double s = seconds_since(start);
        std::printf("log, %d threads:     %d lines in %.3f s = %.0f lines/s\n", threads, lines, s, lines / s);
    }
    {
        CSCLog log;
        log.m_folder = folder;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lines * 10; ++i) {
            log.write(7, L"", __LINE__, L"debug %d", i);
        }
        const double s = seconds_since(start);
        std::printf("log, above maximum: %d calls in %.3f s = %.0f calls/s (formatted, not written)\n", lines * 10, s,
                    lines * 10 / s);
    }
    {
        constexpr int n = 200000;
        std::size_t total = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            total += format_text(L"[%d/%02d/%02d %02d:%02d:%02d.%03d][%s][%d]%s %s", 2026, 12, 8, 10, 5, 3, 42,
                                 L"CMarloCheckToolDlg::check_server", 339, L"[error]", L"failed").size();
        }
        const double s = seconds_since(start);
        std::printf("format_text:        %d lines in %.3f s = %.0f lines/s (%zu chars)\n", n, s, n / s, total);
    }
    delete_folder_tree(folder);
    return 0;
}
