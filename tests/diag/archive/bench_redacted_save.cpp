// Benchmark of a redacted save, not a test: it prints figures and asserts none.
//
//   bench_redacted_save [megabytes] [runs]     (200 MB, 3 runs)
//
// Generates a tree of log files with addresses, e-mail addresses and the
// user's name in paths, then runs the whole save (save_logs, as the console
// does) over it with and without redaction, on the writer's own thread count,
// and prints both medians and their ratio. Build it in a Release tree without
// sanitizers.
#include "archive_test_support.h"

#include "diag/archive/save_logs.h"
#include "diag/archive/zip_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace archive_test;

namespace {

void generate_tree(const fs::path& root, std::size_t total_bytes)
{
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "ERROR"};
    std::mt19937 engine(20261210);
    auto rng = [&engine]() { return static_cast<unsigned>(engine()); };
    std::size_t written = 0;
    int file_index = 0;
    while (written < total_bytes) {
        const fs::path folder = root / ("session" + std::to_string(file_index % 12));
        fs::create_directories(folder);
        std::ofstream out(folder / ("agent_" + std::to_string(file_index) + ".log"), std::ios::binary);
        const std::size_t file_size = 256 * 1024 + rng() % (3 * 1024 * 1024);
        std::size_t in_file = 0;
        char line[512];
        while (in_file < file_size) {
            const int n = std::snprintf(
                line, sizeof line,
                "[2025-05-%02u %02u:%02u:%02u.%03u] %s session_loop(%u) peer=10.%u.%u.%u:%u id=%08x "
                "user=minsu%u@example.com path=C:\\Users\\minsu\\AppData\\Local\\Vantu elapsed=%ums\r\n",
                1 + rng() % 28, rng() % 24, rng() % 60, rng() % 60, rng() % 1000, kLevels[rng() % 4],
                100 + rng() % 2000, rng() % 256, rng() % 256, rng() % 256, 1024 + rng() % 60000,
                static_cast<unsigned>(rng()), rng() % 50, rng() % 5000);
            out.write(line, n);
            in_file += static_cast<std::size_t>(n);
        }
        written += in_file;
        ++file_index;
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    ScratchFolder scratch;
    std::printf("generating %zu MB of logs...\n", megabytes);
    generate_tree(fs::path(scratch / L"Logs/Agent"), megabytes * 1024 * 1024);

    std::vector<double> plain, redacted;
    std::uintmax_t plain_size = 0, redacted_size = 0;
    for (int run = 0; run < runs; ++run) {
        for (const bool redact : {false, true}) {
            SaveLogsInput input = installed_product(scratch);
            input.redact = redact;
            input.redact_names.users = {"minsu"};
            RecordingHost host(RecordingHost::Waits::NotRecorded);
            const auto start = std::chrono::steady_clock::now();
            const SaveLogsOutcome out = save_logs(input, host);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!out.archive_created) {
                std::printf("the save failed\n");
                return 1;
            }
            (redact ? redacted : plain).push_back(seconds);
            (redact ? redacted_size : plain_size) = fs::file_size(fs::path(out.archive_path));
            fs::remove(fs::path(out.archive_path));
        }
    }
    const double a = median(plain), b = median(redacted);
    std::printf("threads: %u (the writer's own choice on this machine)\n", vantu::zip::zip_thread_count({}));
    std::printf("save without redaction: median %.2f s over %d runs, archive %.1f MB\n", a, runs,
                static_cast<double>(plain_size) / 1048576.0);
    std::printf("save with redaction:    median %.2f s over %d runs, archive %.1f MB\n", b, runs,
                static_cast<double>(redacted_size) / 1048576.0);
    std::printf("ratio redacted/unredacted: %.2f (target at most 1.5)\n", b / a);
    return 0;
}
