// POSIX side of the ZIP writer's file operations (the native tree).
#include "diag/archive/zip_platform.h"


#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vantu::zip {
namespace {

std::string native_path(const std::wstring& path)
{
    return fs::path(path).string();
}

FileStamp stamp_of(const struct stat& st, const std::string& path)
{
    FileStamp s;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modified = st.st_mtim.tv_sec;
    s.accessed = st.st_atim.tv_sec;
    s.created = st.st_mtim.tv_sec;
    struct statx sx{};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        s.created = sx.stx_btime.tv_sec;
    if (S_ISDIR(st.st_mode)) {
        s.attributes = kAttrDirectory;
    } else {
        s.attributes = kAttrArchive;
    }
    if ((st.st_mode & S_IWUSR) == 0)
        s.attributes |= kAttrReadOnly;
    return s;
}

class PosixSource : public SourceFile
{
public:
    explicit PosixSource(int fd) : m_fd(fd) {}
    ~PosixSource() override { ::close(m_fd); }
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, capacity);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                got = 0;
                return false;
            }
            got = static_cast<std::size_t>(n);
            return true;
        }
    }

private:
    int m_fd;
};

class PosixArchive : public ArchiveFile
{
public:
    explicit PosixArchive(FILE* f) : m_file(f) {}
    ~PosixArchive() override { close(); }
    bool write(const void* data, std::size_t size) override
    {
        return m_file && std::fwrite(data, 1, size, m_file) == size;
    }
    bool seek(std::uint64_t offset) override
    {
        return m_file && fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
    }
    bool truncate_here() override
    {
        if (!m_file || std::fflush(m_file) != 0)
            return false;
        const off_t at = ftello(m_file);
        return at >= 0 && ::ftruncate(fileno(m_file), at) == 0;
    }
    bool close() override
    {
        if (!m_file)
            return true;
        const bool ok = std::fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }

private:
    FILE* m_file;
};

} // namespace

std::unique_ptr<SourceFile> open_source(const std::wstring& path, OpenFailure* why)
{
    OpenFailure ignored;
    OpenFailure& failure = why ? *why : ignored;
    failure = OpenFailure::none;
    const std::string p = native_path(path);
    // Not blocking: a named pipe in a log folder must not stop the save.
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        failure = errno == ENOENT || errno == ENOTDIR ? OpenFailure::not_found
                  : errno == EACCES || errno == EPERM ? OpenFailure::locked
                  : errno == ENAMETOOLONG            ? OpenFailure::path_too_long
                                                     : OpenFailure::other;
        return nullptr;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failure = OpenFailure::other;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto source = std::make_unique<PosixSource>(fd);
    source->stamp = stamp_of(st, p);
    return source;
}

bool read_stamp(const std::wstring& path, FileStamp& stamp)
{
    const std::string p = native_path(path);
    struct stat st{};
    if (::stat(p.c_str(), &st) != 0)
        return false;
    stamp = stamp_of(st, p);
    return true;
}

std::unique_ptr<ArchiveFile> create_archive_file(const std::wstring& path)
{
    FILE* f = std::fopen(native_path(path).c_str(), "wb");
    if (!f)
        return nullptr;
    return std::make_unique<PosixArchive>(f);
}

bool copy_held_file(const std::wstring& from, const std::wstring& to)
{
    std::error_code ec;
    if (!fs::copy_file(fs::path(from), fs::path(to), fs::copy_options::overwrite_existing, ec) || ec)
        return false;
    // The copy carries the original's modification time, which the archive entry shows.
    const auto modified = fs::last_write_time(fs::path(from), ec);
    if (!ec)
        fs::last_write_time(fs::path(to), modified, ec);
    return true;
}

bool delete_file(const std::wstring& path)
{
    std::error_code ec;
    return fs::remove(fs::path(path), ec) && !ec;
}

std::optional<std::string> system_ansi_name(const std::wstring& name)
{
    std::string out;
    for (wchar_t c : name) {
        if (static_cast<std::uint32_t>(c) >= 0x80)
            return std::nullopt;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::optional<FolderId> folder_identity(const std::wstring& path)
{
    struct stat st{};
    if (::stat(native_path(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    FolderId id;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.file_low = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

std::int64_t now_unix()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace vantu::zip

