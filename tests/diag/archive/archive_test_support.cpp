#include "archive_test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <cstdio>
#endif

namespace fs = std::filesystem;

namespace archive_test {

ScratchFolder::ScratchFolder()
{
    std::random_device rd;
    const fs::path p = fs::temp_directory_path() / ("vantu-archive-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(p);
    m_path = p.wstring();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::remove_all(fs::path(m_path), ec);
}

std::wstring ScratchFolder::operator/(const std::wstring& name) const
{
    return (fs::path(m_path) / fs::path(name)).wstring();
}

void write_file(const std::wstring& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void make_folder(const std::wstring& path)
{
    fs::create_directories(fs::path(path));
}

bool exists(const std::wstring& path)
{
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

#ifndef _WIN32
void set_times(const std::wstring& path, std::int64_t modified, std::int64_t accessed)
{
    struct timespec times[2];
    times[0].tv_sec = accessed;
    times[0].tv_nsec = 0;
    times[1].tv_sec = modified;
    times[1].tv_nsec = 0;
    utimensat(AT_FDCWD, narrow(path).c_str(), times, 0);
}

CommandResult run(const std::string& command)
{
    CommandResult r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.output.append(buf, n);
    const int status = pclose(p);
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string narrow(const std::wstring& path)
{
    return fs::path(path).string();
}
#endif

} // namespace archive_test
