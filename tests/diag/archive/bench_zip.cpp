// Benchmark: our ZIP writer against Info-ZIP "zip -8" on the same generated tree
// of log files (about 200 MB by default). Prints the median times of several runs
// and the archive sizes. Usage: bench_zip [megabytes] [runs]
#include "diag/archive/zip_folder.h"

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

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 200;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path base = fs::temp_directory_path() / ("vantu-bench-zip-" + std::to_string(std::random_device{}()));
    const fs::path tree = base / "logs";
    fs::create_directories(tree);
    std::printf("generating %zu MB of logs in %s\n", megabytes, tree.string().c_str());
    generate_tree(tree, megabytes * 1024 * 1024);

    std::uintmax_t input_bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(tree))
        if (e.is_regular_file())
            input_bytes += e.file_size();

    std::vector<double> ours, infozip;
    std::uintmax_t ours_size = 0, infozip_size = 0;
    for (int i = 0; i < runs; ++i) {
        const fs::path a = base / "ours.zip";
        fs::remove(a);
        const auto t0 = std::chrono::steady_clock::now();
        const auto report = vantu::zip::zip_folder(tree.wstring(), a.wstring());
        const auto t1 = std::chrono::steady_clock::now();
        if (!report.created || report.close_result != 0) {
            std::fprintf(stderr, "our writer failed\n");
            fs::remove_all(base);
            return 1;
        }
        ours.push_back(std::chrono::duration<double>(t1 - t0).count());
        ours_size = fs::file_size(a);

        const fs::path b = base / "infozip.zip";
        fs::remove(b);
        const std::string command = "cd '" + tree.string() + "' && zip -8 -r -q '" + b.string() + "' .";
        const auto t2 = std::chrono::steady_clock::now();
        const int rc = std::system(command.c_str());
        const auto t3 = std::chrono::steady_clock::now();
        if (rc != 0) {
            std::fprintf(stderr, "zip -8 failed (%d)\n", rc);
            fs::remove_all(base);
            return 1;
        }
        infozip.push_back(std::chrono::duration<double>(t3 - t2).count());
        infozip_size = fs::file_size(b);
    }
    fs::remove_all(base);

    std::printf("input            : %.1f MB\n", input_bytes / 1048576.0);
    std::printf("ZIP writer       : median %.2f s over %d runs, %.1f MB/s, archive %.2f MB (%.1f%% of input)\n",
                median(ours), runs, input_bytes / 1048576.0 / median(ours), ours_size / 1048576.0,
                100.0 * ours_size / input_bytes);
    std::printf("Info-ZIP zip -8  : median %.2f s over %d runs, %.1f MB/s, archive %.2f MB (%.1f%% of input)\n",
                median(infozip), runs, input_bytes / 1048576.0 / median(infozip), infozip_size / 1048576.0,
                100.0 * infozip_size / input_bytes);
    std::printf("time ratio (ours / zip -8): %.2f, size ratio (ours / zip -8): %.3f\n", median(ours) / median(infozip),
                static_cast<double>(ours_size) / infozip_size);
    return 0;
}
