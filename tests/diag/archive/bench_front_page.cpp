// Benchmark, not a test: what writing report.html and manifest.json adds to a
// whole save. Saves an installed product twice over (a small demo tree and a
// log tree of the given size), with and without the page and the manifest,
// alternating, and prints the medians.
//
//   bench_front_page [log megabytes (200)] [runs (3)]
#include "archive_test_support.h"
#include "diag/archive/save_logs.h"

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

// Log files of plausible lines under Logs/Agent, `megabytes` in all.
void write_logs(const fs::path& folder, std::size_t megabytes)
{
    std::mt19937 engine(20261209);
    std::size_t written = 0;
    for (int file = 0; written < megabytes * 1024 * 1024; ++file) {
        const fs::path dir = folder / ("day" + std::to_string(file % 7));
        fs::create_directories(dir);
        std::ofstream out(dir / ("agent" + std::to_string(file) + ".log"), std::ios::binary);
        for (int line = 0; line < 40000; ++line) {
            const std::string text = "[2026/12/09 10:05:" + std::to_string(engine() % 60) + "][VantuHostSvr][" +
                                     std::to_string(engine() % 400) + "] session " + std::to_string(engine() % 9973) +
                                     " frame " + std::to_string(engine()) + " ok\n";
            out << text;
            written += text.size();
        }
    }
}

double save_ms(const ScratchFolder& scratch, bool page)
{
    SaveLogsInput input = installed_product(scratch);
    input.front_page_and_manifest = page;
    RecordingHost host(RecordingHost::Waits::NotRecorded);
    host.texts.security_text = L"[Interference Software (요약)]\n알려진 패턴에 걸린 항목이 없습니다.\n\n";
    const auto start = std::chrono::steady_clock::now();
    const SaveLogsOutcome out = save_logs(input, host);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    fs::remove(fs::path(out.archive_path));
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char* label, const ScratchFolder& scratch, int runs)
{
    std::vector<double> with, without;
    for (int i = 0; i < runs; ++i) {
        without.push_back(save_ms(scratch, false));
        with.push_back(save_ms(scratch, true));
    }
    const double a = median(without), b = median(with);
    std::printf("%-26s without %9.1f ms  with page+manifest %9.1f ms  added %+8.1f ms (%+.1f %%), median of %d\n",
                label, a, b, b - a, a > 0 ? (b - a) * 100 / a : 0.0, runs);
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    ScratchFolder demo;
    write_file(demo / L"Logs/Agent/agent.log", std::string(64 * 1024, 'a'));
    write_file(demo / L"Agent/VantuHostSvr.exe", std::string(4096, 'x'));
    measure("demo product tree", demo, runs);

    ScratchFolder large;
    write_logs(fs::path(large / L"Logs/Agent"), megabytes);
    measure((std::to_string(megabytes) + " MB log tree").c_str(), large, runs);
    return 0;
}
