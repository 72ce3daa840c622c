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

SaveLogsInput installed_product(const ScratchFolder& scratch)
{
    SaveLogsInput input;
    input.product_name = L"Vantu";
    input.product_paths = {scratch / L"Agent", scratch / L"AgentWeb", scratch / L"Viewer"};
    // Logs/Agent with the tree's own separator.
    input.log_paths = {scratch / (fs::path(L"Logs") / L"Agent").wstring(),
                       scratch / (fs::path(L"Logs") / L"Viewer").wstring()};
    input.product_processes = {L"VantuHostSvr.exe", L"VantuServer.exe", L"VantuManager.exe", L"VantuViewer.exe"};
    input.work_folder = scratch / L"Work";
    return input;
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

#include <zlib.h>

namespace archive_test {
namespace {

std::uint32_t le(const std::string& s, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

bool inflate_raw(const std::string& in, std::size_t expected, std::string& out)
{
    out.assign(expected, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END && z.total_out == expected;
}

} // namespace

std::vector<std::string> ZipView::names() const
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

ZipView read_zip(const std::wstring& path)
{
    ZipView view;
    const std::string s = read_file(path);
    if (s.size() < 22)
        return view;
    const std::size_t eocd = s.rfind(std::string("PK\x05\x06", 4));
    if (eocd == std::string::npos || eocd + 22 > s.size())
        return view;
    const std::uint32_t count = le(s, eocd + 10, 2);
    std::size_t p = le(s, eocd + 16, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (p + 46 > s.size() || le(s, p, 4) != 0x02014b50)
            return view;
        ZipEntryView e;
        e.flags = le(s, p + 8, 2);
        e.method = le(s, p + 10, 2);
        e.dos_time = static_cast<std::uint16_t>(le(s, p + 12, 2));
        e.dos_date = static_cast<std::uint16_t>(le(s, p + 14, 2));
        const std::uint32_t crc = le(s, p + 16, 4);
        const std::uint32_t csize = le(s, p + 20, 4);
        const std::uint32_t usize = le(s, p + 24, 4);
        const std::uint32_t nlen = le(s, p + 28, 2);
        const std::uint32_t xlen = le(s, p + 30, 2);
        const std::uint32_t clen = le(s, p + 32, 2);
        e.external = le(s, p + 38, 4);
        const std::uint32_t local = le(s, p + 42, 4);
        e.name = s.substr(p + 46, nlen);
        p += 46 + nlen + xlen + clen;
        if (local + 30 > s.size() || le(s, local, 4) != 0x04034b50)
            return view;
        const std::size_t data_at = local + 30 + le(s, local + 26, 2) + le(s, local + 28, 2);
        if (data_at + csize > s.size())
            return view;
        const std::string raw = s.substr(data_at, csize);
        if (e.method == 0)
            e.data = raw;
        else if (!inflate_raw(raw, usize, e.data))
            return view;
        e.crc_ok = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())) == crc;
        view.entries.push_back(e);
    }
    view.ok = true;
    return view;
}

} // namespace archive_test
