// The few file operations the ZIP writer needs, one implementation per platform:
// reading a source file with its times and attributes, writing the archive with
// seeking, copying a file that cannot be opened directly, and the system's
// narrow ("ANSI") encoding of entry names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantu::zip {

// Windows file attribute bits as stored in the low byte of the external attributes.
enum : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

// Times are Unix seconds (UTC).
struct FileStamp
{
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t accessed = 0;
    std::int64_t created = 0;
    std::uint32_t attributes = 0;
};

class SourceFile
{
public:
    virtual ~SourceFile() = default;
    // Reads up to capacity bytes; got == 0 with true means the end of the file.
    virtual bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) = 0;
    FileStamp stamp;
};

class ArchiveFile
{
public:
    virtual ~ArchiveFile() = default;
    virtual bool write(const void* data, std::size_t size) = 0;
    virtual bool seek(std::uint64_t offset) = 0;
    virtual bool close() = 0;
};

// Opens a regular file for reading, sharing it with writers so that a log file a
// running program keeps open can still be read. Null when it cannot be opened.
std::unique_ptr<SourceFile> open_source(const std::wstring& path);
// Times and attributes of a file or folder without reading it.
bool read_stamp(const std::wstring& path, FileStamp& stamp);
// Creates (or truncates) the archive file. Null when it cannot be created.
std::unique_ptr<ArchiveFile> create_archive_file(const std::wstring& path);

// Copies a file that open_source could not open, with whatever means the platform
// offers for files other programs hold open. Overwrites the target.
bool copy_held_file(const std::wstring& from, const std::wstring& to);
bool delete_file(const std::wstring& path);

// The name in the system's ANSI code page, or nothing when a character has no
// exact form there. The native tree has no ANSI code page and takes plain ASCII.
std::optional<std::string> system_ansi_name(const std::wstring& name);

// Current time as Unix seconds.
std::int64_t now_unix();

} // namespace vantu::zip
