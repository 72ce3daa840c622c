// Benchmark of the ZIP writer, not a test: it prints figures and asserts none.
//
//   bench_zip [megabytes] [runs]        a generated tree of log files (200 MB)
//   bench_zip --folder PATH [runs]      a given folder
//
// Packs the tree with 1 thread, 2 threads and all threads (the writer's own
// choice), all threads without SHA-256, then with Info-ZIP "zip -8" and 7-Zip's Deflate
// ("7z a -tzip -mx=5 -mmt=on") in the same run, and prints median times, sizes
// and the ratios against zip -8. Build it in a Release tree without sanitizers.
#include "diag/archive/zip_folder.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

void generate_tree(const fs::path& root, std::size_t total_bytes)
{
    static const char* const kLevels[] = {"INFO ", "DEBUG", "WARN ", "ERROR"};
    static const char* const kFunctions[] = {"CMarloCheckToolDlg::check_server", "blastsock::connect",
                                             "HttpRequest::send", "CSCLog::write", "VantuHostSvr::session_loop",
                                             "VantuViewer::decode_frame"};
    std::mt19937 engine(20250502);
    auto rng = [&engine]() { return static_cast<unsigned>(engine()); };
    std::size_t written = 0;
    int file_index = 0;
    while (written < total_bytes) {
        const fs::path folder = root / ("session" + std::to_string(file_index % 12)) / ("day" + std::to_string(file_index % 5));
        fs::create_directories(folder);
        std::ofstream out(folder / ("agent_" + std::to_string(file_index) + ".log"), std::ios::binary);
        const std::size_t file_size = 256 * 1024 + rng() % (3 * 1024 * 1024);
        std::size_t in_file = 0;
        char line[512];
        while (in_file < file_size) {
            const int n = std::snprintf(line, sizeof line,
                                        "[2025-05-%02u %02u:%02u:%02u.%03u] %s %s(%u) peer=10.%u.%u.%u:%u id=%08x "
                                        "elapsed=%ums bytes=%u\r\n",
                                        1 + rng() % 28, rng() % 24, rng() % 60, rng() % 60, rng() % 1000,
                                        kLevels[rng() % 4], kFunctions[rng() % 6], 100 + rng() % 2000, rng() % 256,
                                        rng() % 256, rng() % 256, 1024 + rng() % 60000, static_cast<unsigned>(rng()),
                                        rng() % 5000, rng() % 100000);
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

struct Figure
{
    std::string label;
    double seconds = 0;
    std::uintmax_t bytes = 0;
    double cpu_seconds = 0; // this process's processor time (all threads); 0 for other programs
};

// Runs `pack` `runs` times into `archive`; the median time and the last size.
bool measure(const std::string& label, int runs, const fs::path& archive, const std::function<bool()>& pack,
             std::vector<Figure>& figures)
{
    std::vector<double> times, cpu;
    for (int i = 0; i < runs; ++i) {
        fs::remove(archive);
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        if (!pack()) {
            std::fprintf(stderr, "%s failed\n", label.c_str());
            return false;
        }
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        cpu.push_back(static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    figures.push_back({label, median(times), fs::file_size(archive), median(cpu)});
    fs::remove(archive);
    return true;
}

// Bytes of the folder entries that repeat one already in the archive: the
// archive keeps a folder entry before every file of a subfolder, where zip -8
// writes one per folder. Each is a local header (30 bytes, the name, a 17-byte
// time extra) and a central record (46 bytes, the name, a 9-byte time extra).
std::uintmax_t repeated_folder_entry_bytes(const std::vector<vantu::zip::ArchiveEntryRecord>& records,
                                           std::size_t& count)
{
    std::set<std::wstring> seen;
    std::uintmax_t bytes = 0;
    count = 0;
    for (const auto& r : records)
        if (r.folder && !seen.insert(r.name).second) {
            ++count;
            bytes += 30 + 17 + 46 + 9 + 2 * r.name.size();
        }
    return bytes;
}

std::string quoted(const fs::path& p)
{
    return "'" + p.string() + "'";
}

} // namespace

int main(int argc, char** argv)
{
    fs::path tree;
    int runs = 3;
    const fs::path base = fs::temp_directory_path() / ("vantu-bench-zip-" + std::to_string(std::random_device{}()));
    fs::create_directories(base);
    if (argc > 2 && std::string(argv[1]) == "--folder") {
        tree = fs::absolute(argv[2]);
        runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    } else {
        const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
        runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
        tree = base / "logs";
        std::printf("generating %zu MB of logs in %s\n", megabytes, tree.string().c_str());
        generate_tree(tree, megabytes * 1024 * 1024);
    }

    std::uintmax_t input_bytes = 0;
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(tree))
        if (e.is_regular_file()) {
            input_bytes += e.file_size();
            ++files;
        }
    const unsigned all = vantu::zip::zip_thread_count({});
    std::printf("input            : %s, %zu files, %.1f MB; %u cores, writer threads %u; median of %d runs\n",
                tree.string().c_str(), files, input_bytes / 1048576.0, std::thread::hardware_concurrency(), all,
                runs);

    std::vector<Figure> figures;
    std::vector<vantu::zip::ArchiveEntryRecord> last_records;
    const fs::path archive = base / "out.zip";
    std::vector<unsigned> counts = {1, 2};
    if (all > 2)
        counts.push_back(all);
    // Last: all threads without the SHA-256 of each entry, to show what it costs.
    std::vector<std::pair<unsigned, bool>> configurations;
    for (unsigned threads : counts)
        configurations.push_back({threads, true});
    configurations.push_back({all, false});
    for (const auto& [threads, sha256] : configurations) {
        const bool ok = measure("ZIP writer, " + std::to_string(threads) + " thread" + (threads > 1 ? "s" : "") +
                                    (sha256 ? "" : ", no SHA"),
                                runs, archive,
                                [&] {
                                    vantu::zip::ZipFolderOptions options;
                                    options.zip.threads = threads;
                                    options.zip.sha256 = sha256;
                                    options.judge_folder = [](const std::wstring& p) {
                                        return vantu::zip::RefusedFolder{p, p, vantu::zip::GuardVerdict::allowed};
                                    };
                                    const auto r = vantu::zip::zip_folder(tree.wstring(), archive.wstring(), options);
                                    for (const auto& s : r.skipped)
                                        std::fprintf(stderr, "not packed: %ls (%ls)\n", s.source_path.c_str(),
                                                     vantu::zip::skip_reason_text(s).c_str());
                                    last_records = r.records;
                                    return r.created && r.close_result == 0;
                                },
                                figures);
        if (!ok)
            return 1;
    }
    const std::string cd = "cd " + quoted(tree) + " && ";
    if (!measure("Info-ZIP zip -8", runs, archive,
                 [&] { return std::system((cd + "zip -8 -r -q " + quoted(archive) + " .").c_str()) == 0; }, figures))
        return 1;
    if (!measure("7z -tzip -mx=5 -mmt=on", runs, archive,
                 [&] {
                     return std::system((cd + "7z a -tzip -mx=5 -mmt=on " + quoted(archive) + " . >/dev/null").c_str()) ==
                            0;
                 },
                 figures))
        return 1;
    fs::remove_all(base); // the generated tree, if any, and the archive

    const Figure& zip8 = figures[figures.size() - 2];
    const Figure& one = figures[0];
    for (const Figure& f : figures)
        std::printf("%-30s: %6.2f s  %7.1f MB/s  archive %8.2f MB (%5.1f%% of input)  time/zip-8 %.2f  size/zip-8 "
                    "%.3f  speed-up/1 thread %.2f  cpu %.2f s\n",
                    f.label.c_str(), f.seconds, input_bytes / 1048576.0 / f.seconds, f.bytes / 1048576.0,
                    100.0 * f.bytes / input_bytes, f.seconds / zip8.seconds, static_cast<double>(f.bytes) / zip8.bytes,
                    one.seconds / f.seconds, f.cpu_seconds);
    std::size_t repeats = 0;
    const std::uintmax_t repeat_bytes = repeated_folder_entry_bytes(last_records, repeats);
    std::printf("repeated folder entries: %zu, %.2f MB; our archive without them: size/zip-8 %.3f\n", repeats,
                repeat_bytes / 1048576.0, static_cast<double>(figures[0].bytes - repeat_bytes) / zip8.bytes);
    return 0;
}
