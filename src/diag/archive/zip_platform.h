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
    // Ends the file at the current position (after an entry was taken back).
    virtual bool truncate_here() = 0;
    virtual bool close() = 0;
};

// Why a source could not be opened.
enum class OpenFailure {
    none,
    not_found,     // the file (or a folder on its path) is not there
    locked,        // another program holds it without sharing, or access is denied
    path_too_long, // the system refuses the path's length
    other,
};

// Opens a regular file for reading with every sharing flag, so that a log file a
// running program keeps open for writing can still be read. When the account is
// elevated, a second try opens it with backup semantics (the backup privilege
// enabled). Null when it cannot be opened; `why` then tells the reason.
std::unique_ptr<SourceFile> open_source(const std::wstring& path, OpenFailure* why = nullptr);
// Times and attributes of a file or folder without reading it.
bool read_stamp(const std::wstring& path, FileStamp& stamp);
// Creates (or truncates) the archive file. Null when it cannot be created.
std::unique_ptr<ArchiveFile> create_archive_file(const std::wstring& path);

// Copies a file that open_source could not open with the system's copy call
// (which some holders' sharing still allows). Overwrites the target.
bool copy_held_file(const std::wstring& from, const std::wstring& to);
bool delete_file(const std::wstring& path);

// The name in the system's ANSI code page, or nothing when a character has no
// exact form there. The native tree has no ANSI code page and takes plain ASCII.
std::optional<std::string> system_ansi_name(const std::wstring& name);

// A folder's identity: volume serial number and file id. Two paths reaching
// the same folder (through a junction or a symbolic link) have the same one.
struct FolderId
{
    std::uint64_t volume = 0;
    std::uint64_t file_low = 0;
    std::uint64_t file_high = 0;
    bool operator<(const FolderId& o) const
    {
        if (volume != o.volume)
            return volume < o.volume;
        if (file_high != o.file_high)
            return file_high < o.file_high;
        return file_low < o.file_low;
    }
};
std::optional<FolderId> folder_identity(const std::wstring& path);

// Current time as Unix seconds.
std::int64_t now_unix();

} // namespace vantu::zip
