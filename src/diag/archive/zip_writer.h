// Sequential ZIP writer on zlib: Deflate level 8 (stored for names of archives),
// the local header rewritten with CRC and sizes after the data, extended time
// stamps, Windows and Unix attributes, names in the ANSI code page or, when the
// code page cannot hold them, UTF-8 with flag bit 11; Zip64 beyond 4 GiB.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vantu::zip {

// Result codes; callers test for 0 (and zip_folder for kCannotOpenSource).
enum ZipResult : std::uint32_t {
    kZipOk = 0,
    kZipCannotOpenSource = 0x200,
    kZipWriteFailed = 0x400,
    kZipBadArgument = 0x10000,
    kZipAlreadyFailed = 0x40000,
    kZipAlreadyClosed = 0x50000,
    kZipNotAnArchive = 0x80000,
    kZipSeekFailed = 0x2000000,
    kZipMethodChanged = 0x4000000,
    kZipCompressionError = 0x5000000,
};

// Converts an entry name to the ANSI code page; nothing when it cannot hold it.
using NameEncoder = std::function<std::optional<std::string>(const std::wstring&)>;

class SourceFile;
// Opens a source file with its times and attributes; null when it cannot be opened.
using SourceOpener = std::function<std::unique_ptr<SourceFile>(const std::wstring&)>;

struct ZipOptions
{
    NameEncoder encode_name; // empty: the system's ANSI code page
    SourceOpener open_file;  // empty: the platform's shared-read open
    int level = 8;
};

struct ZipArchive;

struct ZipArchiveDeleter
{
    void operator()(ZipArchive* archive) const;
};
using ZipArchivePtr = std::unique_ptr<ZipArchive, ZipArchiveDeleter>;

// Creates the archive file; null when it cannot be created.
ZipArchivePtr zip_create(const std::wstring& path, const ZipOptions& options = {});
// Adds the file `source` under `name` ("\" becomes "/").
std::uint32_t zip_add_file(ZipArchive* archive, const std::wstring& name, const std::wstring& source);
// Adds a folder entry ("name/"); times and attributes come from `source` when given.
std::uint32_t zip_add_folder(ZipArchive* archive, const std::wstring& name, const std::wstring& source = {});
// Writes the central directory and closes the file. Dropping the archive without
// closing it leaves an unfinished file.
std::uint32_t zip_close(ZipArchive* archive);

// The last result of any archive operation in the process.
std::uint32_t zip_last_result();

// The bytes an entry name is stored as and whether they are UTF-8 (flag bit 11).
struct EncodedName
{
    std::string bytes;
    bool utf8 = false;
};
EncodedName encode_entry_name(const std::wstring& name, const NameEncoder& encoder);
std::string utf8_of(const std::wstring& text);

} // namespace vantu::zip
