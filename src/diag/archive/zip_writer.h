// ZIP writer on zlib: Deflate level 8 (stored for names of archives), the local
// header rewritten with CRC and sizes after the data, extended time stamps,
// Windows and Unix attributes, names in the ANSI code page or, when the code page
// cannot hold them, UTF-8 with flag bit 11; Zip64 beyond 4 GiB.
//
// Entries are written in the order they are added. With more than one thread,
// files are compressed on a pool of workers in blocks (block_deflate.h) while the
// calling thread reads the sources ahead and writes finished blocks in order; at
// most a fixed number of blocks is in flight, whatever the file sizes.
//
// A source is never packed short: a read that fails, or ends before the size the
// file had when it was opened, is retried once from the start; if that fails too
// the entry is taken back out of the archive and the file is listed as skipped.
#pragma once

#include "diag/archive/archive_records.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Our own codes, beside the ones above:
    // the entry's data passed 4 GiB although its local header, written when the
    // source was opened below that size, has no room for Zip64 sizes.
    kZipEntryTooLarge = 0x6000000,
    // the source could not be read completely, twice; the entry was left out.
    kZipSourceIncomplete = 0x7000000,
    // the entry's filter refused the content (not text while redacting); left out.
    kZipFilterRefused = 0x8000000,
};

// Converts an entry name to the ANSI code page; nothing when it cannot hold it.
using NameEncoder = std::function<std::optional<std::string>(const std::wstring&)>;

class SourceFile;
// Opens a source file with its times and attributes; null when it cannot be opened.
using SourceOpener = std::function<std::unique_ptr<SourceFile>(const std::wstring&)>;

// Rewrites an entry's bytes on their way into the archive (redaction). Made
// fresh for every attempt at an entry, so a retried read starts clean.
class EntryFilter
{
public:
    virtual ~EntryFilter() = default;
    // Appends what `in` becomes. False: the content is refused and the entry is
    // left out (SkipReason::not_text).
    virtual bool feed(std::string_view in, std::string& out) = 0;
    // The rest, at the end of the source.
    virtual bool finish(std::string& out) = 0;
    // What the entry's record keeps of the filtering (filled after finish).
    virtual void describe(ArchiveEntryRecord& record) const = 0;
};
// The filter of one entry (by entry name and source); null: the bytes go in as they are.
using EntryFilterMaker =
    std::function<std::unique_ptr<EntryFilter>(const std::wstring& name, const std::wstring& source)>;
// An entry's name as stored (file and folder entries alike).
using EntryNamer = std::function<std::wstring(const std::wstring& name)>;

// At most this many compression threads, however many cores there are.
inline constexpr unsigned kMaxZipThreads = 8;
// Files larger than this are compressed as several blocks in parallel.
inline constexpr std::size_t kZipBlockBytes = 1024 * 1024;

struct ZipOptions
{
    NameEncoder encode_name; // empty: the system's ANSI code page
    SourceOpener open_file;  // empty: the platform's shared-read open
    int level = 8;
    // 0: the processor's cores, at most kMaxZipThreads. 1: everything on the
    // calling thread, each file as one continuous Deflate stream.
    unsigned threads = 0;
    std::size_t block_bytes = kZipBlockBytes;
    bool sha256 = true; // SHA-256 of each entry in its ArchiveEntryRecord
    // Empty: every entry as it is. Sizes, CRC-32 and SHA-256 are then of the
    // filtered bytes.
    EntryFilterMaker filter;
    EntryNamer rename; // empty: the names as given
};

// The threads an archive with these options compresses on.
unsigned zip_thread_count(const ZipOptions& options);

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
// One entry of a batch: a file, or a folder entry when `folder` is set (its
// times and attributes come from `source` when given).
struct ZipItem
{
    std::wstring name;
    std::wstring source;
    bool folder = false;
};

// How a batch packs a file that cannot be opened (typically a log another
// program holds): copy it to `temp_path`, pack the copy under the file's own
// name, delete the copy.
struct HeldFileCopy
{
    std::function<bool(const std::wstring& from, const std::wstring& to)> copy;
    std::wstring temp_path;
};

// Adds the items in order, compressing in parallel. A file that cannot be packed
// is left out and listed in zip_skipped_files; the result is not 0 only when the
// archive itself failed.
std::uint32_t zip_add_items(ZipArchive* archive, const std::vector<ZipItem>& items, const HeldFileCopy& held = {});

// What the archive holds so far, in entry order, and the files left out.
const std::vector<ArchiveEntryRecord>& zip_entry_records(const ZipArchive* archive);
const std::vector<SkippedFile>& zip_skipped_files(const ZipArchive* archive);

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
