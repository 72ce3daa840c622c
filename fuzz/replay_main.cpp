// fuzz_corpus_replay: every committed corpus file and every input that once broke
// the program, fed through the fuzz targets' entry functions (without libFuzzer),
// so the faults they found stay fixed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(VANTU_FUZZ_SOURCE_DIR);
    int files = 0;
    int targets_without_corpus = 0;
    for (const FuzzTarget& target : fuzz_targets) {
        int target_files = 0;
        for (const char* kind : {"corpus", "regressions"}) {
            const fs::path folder = root / kind / target.name;
            std::error_code ec;
            if (!fs::is_directory(folder, ec))
                continue;
            std::vector<fs::path> paths;
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.is_regular_file())
                    paths.push_back(entry.path());
            std::sort(paths.begin(), paths.end());
            for (const fs::path& path : paths) {
                std::ifstream file(path, std::ios::binary);
                const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
                std::fprintf(stderr, "%s: %s\n", target.name, path.filename().string().c_str());
                target.entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
                ++target_files;
            }
        }
        std::printf("%-16s %d inputs\n", target.name, target_files);
        if (target_files == 0)
            ++targets_without_corpus;
        files += target_files;
    }
    std::printf("%d inputs replayed\n", files);
    // A target without any input would pass without testing anything.
    return targets_without_corpus == 0 ? 0 : 1;
}
