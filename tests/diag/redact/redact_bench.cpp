// Benchmark of the redactor, not a test: it prints figures and asserts none.
//
//   redact_bench [megabytes] [runs]      generated log text (200 MB, 5 runs)
//
// Times the redactor over UTF-8 log text fed in 64 KB blocks, the same text as
// UTF-16LE, a plain memcpy of it, std::regex on a slice (why the scanner is
// hand-written), and grep -cE with an IPv4 pattern on the same data when grep
// is there. Medians of CPU time (this thread's, or grep's), so that a machine
// busy with other work still gives per-core figures; wall times beside them.
// Build it in a Release tree without sanitizers.
#include "diag/redact/redactor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <sys/resource.h>
#include <ctime>
#include <string>
#include <vector>

using namespace vantu::redact;
namespace fs = std::filesystem;

namespace {

std::string generate_log(std::size_t total_bytes)
{
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "ERROR"};
    static const char* const kWhat[] = {
        "CMarloCheckToolDlg::check_server(%u) connected in %u ms",
        "HttpRequest::send GET /download/checklist.json status 200 bytes=%u took %u ms",
        "file C:\\Users\\minsu\\AppData\\Local\\Vantu\\log\\agent_%u.log size %u",
        "FileVersion: 1.2.%u.%u loaded VantuHostSvr.exe",
        "session {6B29FC40-CA47-1067-B31D-00DC010C00AA} frame %u decoded in %u us",
        "sha256 9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08 ok (%u/%u)",
        "retry %u of %u after timeout; queue depth unchanged",
    };
    std::mt19937 engine(20261210);
    auto rng = [&engine]() { return static_cast<unsigned>(engine()); };
    std::string text;
    text.reserve(total_bytes + 512);
    char line[512];
    while (text.size() < total_bytes) {
        int n = std::snprintf(line, sizeof line, "[2026-12-%02u %02u:%02u:%02u.%03u] %s ", 1 + rng() % 28, rng() % 24,
                              rng() % 60, rng() % 60, rng() % 1000, kLevels[rng() % 4]);
        const unsigned pick = rng() % 100;
        if (pick < 8) {
            n += std::snprintf(line + n, sizeof line - n, "peer 10.%u.%u.%u:%u handshake ok\r\n", rng() % 256,
                               rng() % 256, rng() % 256, 1024 + rng() % 60000);
        } else if (pick < 10) {
            n += std::snprintf(line + n, sizeof line - n, "mail sent to user%u@example.co.kr\r\n", rng() % 500);
        } else {
            n += std::snprintf(line + n, sizeof line - n, kWhat[rng() % 7], rng() % 5000, rng() % 100000);
            n += std::snprintf(line + n, sizeof line - n, "\r\n");
        }
        text.append(line, static_cast<std::size_t>(n));
    }
    return text;
}

struct Timing
{
    double cpu = 0;  // seconds of CPU time
    double wall = 0; // seconds
};

double thread_cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double children_cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

Timing median(int runs, const std::function<void()>& work, double (*cpu_clock)() = thread_cpu_seconds)
{
    std::vector<double> cpu, wall;
    for (int i = 0; i < runs; ++i) {
        const double cpu_start = cpu_clock();
        const auto start = std::chrono::steady_clock::now();
        work();
        wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(cpu_clock() - cpu_start);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

double mb_per_s(std::size_t bytes, double seconds)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds;
}

std::uint64_t redact_in_blocks(const std::string& text, const RedactNames& names, std::string& out)
{
    PseudonymTable table;
    Redactor redactor(table, names);
    std::uint64_t written = 0;
    for (std::size_t at = 0; at < text.size(); at += 64 * 1024) {
        out.clear();
        redactor.feed(std::string_view(text).substr(at, 64 * 1024), out);
        written += out.size();
    }
    out.clear();
    redactor.finish(out);
    return written + out.size() + redactor.counts().total();
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string text = generate_log(megabytes << 20);
    RedactNames names;
    names.users = {"minsu", "Administrator"};
    names.hosts = {"DESKTOP-7QK2M1", "VANTUCORP"};
    std::printf("redact_bench: %.1f MB of generated log text, median of %d runs, one thread\n",
                text.size() / 1048576.0, runs);

    std::string copy(text.size(), '\0');
    const Timing t_copy = median(runs, [&] { std::memcpy(copy.data(), text.data(), text.size()); });
    std::string out;
    out.reserve(128 * 1024);
    std::uint64_t sink = 0;
    const Timing t_redact = median(runs, [&] { sink += redact_in_blocks(text, names, out); });
    {
        PseudonymTable table;
        RedactCounts counts;
        redact_text(std::string_view(text).substr(0, 16 << 20), table, names, {}, &counts);
        std::printf("  values in the first 16 MB: %llu (IP %llu, e-mail %llu, user %llu)\n",
                    static_cast<unsigned long long>(counts.total()),
                    static_cast<unsigned long long>(counts[RedactKind::ip]),
                    static_cast<unsigned long long>(counts[RedactKind::email]),
                    static_cast<unsigned long long>(counts[RedactKind::user]));
    }
    const double redact_rate = mb_per_s(text.size(), t_redact.cpu);
    std::printf("                     MB/s (CPU)  MB/s (wall)\n");
    std::printf("  memcpy            %9.1f  %9.1f\n", mb_per_s(text.size(), t_copy.cpu),
                mb_per_s(text.size(), t_copy.wall));
    std::printf("  redactor (UTF-8)  %9.1f  %9.1f   memcpy/redactor %.1f\n", redact_rate,
                mb_per_s(text.size(), t_redact.wall), t_redact.cpu / t_copy.cpu);

    // The same text as UTF-16LE, a quarter of it.
    std::string wide;
    wide.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size() / 4; ++i) {
        wide.push_back(text[i]);
        wide.push_back('\0');
    }
    const Timing t_wide = median(runs, [&] { sink += redact_in_blocks(wide, names, out); });
    std::printf("  redactor (UTF-16) %9.1f  %9.1f   (input bytes)\n", mb_per_s(wide.size(), t_wide.cpu),
                mb_per_s(wide.size(), t_wide.wall));

    // std::regex with one IPv4 pattern, on a slice: the engine the scanner replaces.
    const std::size_t slice = std::min<std::size_t>(text.size(), 8 << 20);
    const std::regex ipv4(R"((\d{1,3}\.){3}\d{1,3})", std::regex::optimize);
    const Timing t_regex = median(1, [&] {
        std::string_view s(text.data(), slice);
        sink += static_cast<std::uint64_t>(std::distance(std::cregex_iterator(s.data(), s.data() + s.size(), ipv4),
                                                         std::cregex_iterator()));
    });
    std::printf("  std::regex IPv4   %9.1f  %9.1f   redactor/std::regex %.1f (one pattern of nine)\n",
                mb_per_s(slice, t_regex.cpu), mb_per_s(slice, t_regex.wall), redact_rate / mb_per_s(slice, t_regex.cpu));

    if (std::system("grep --version >/dev/null 2>&1") == 0) {
        const fs::path file = fs::temp_directory_path() / "redact_bench.log";
        {
            std::ofstream stream(file, std::ios::binary);
            stream.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        const std::string command =
            "LC_ALL=C grep -cE '([0-9]{1,3}\\.){3}[0-9]{1,3}' '" + file.string() + "' >'" + file.string() + ".count'";
        int status = 0;
        const Timing t_grep = median(runs, [&] { status |= std::system(command.c_str()); }, children_cpu_seconds);
        fs::remove(file);
        fs::remove(file.string() + ".count");
        if (status == 0)
            std::printf("  grep -cE IPv4     %9.1f  %9.1f   redactor/grep %.2f (one pattern of nine)\n",
                        mb_per_s(text.size(), t_grep.cpu), mb_per_s(text.size(), t_grep.wall),
                        redact_rate / mb_per_s(text.size(), t_grep.cpu));
        else
            std::printf("  grep -cE failed (status %d)\n", status);
    } else {
        std::printf("  grep: not found\n");
    }
    std::printf("  (checksum %llu)\n", static_cast<unsigned long long>(sink % 1000));
    return 0;
}
