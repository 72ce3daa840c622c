#include "diag/archive/zip_writer.h"

#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_records.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace vantu::zip {

namespace {

constexpr std::uint32_t kMagic = 0x5A495057; // "ZIPW"
constexpr std::size_t kChunk = 256 * 1024;

std::atomic<std::uint32_t> g_last_result{kZipOk};

std::uint32_t remember(std::uint32_t result)
{
    g_last_result.store(result);
    return result;
}

} // namespace

struct ZipArchive
{
    std::uint32_t magic = kMagic;
    std::unique_ptr<ArchiveFile> file;
    ZipOptions options;
    std::vector<EntryRecord> entries;
    std::uint64_t offset = 0; // end of what has been written
    bool failed = false;
    bool closed = false;
};

void ZipArchiveDeleter::operator()(ZipArchive* archive) const
{
    if (archive) {
        archive->magic = 0;
        delete archive;
    }
}

std::string utf8_of(const std::wstring& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

EncodedName encode_entry_name(const std::wstring& name, const NameEncoder& encoder)
{
    std::wstring slashed(name);
    for (auto& c : slashed)
        if (c == L'\\')
            c = L'/';
    std::optional<std::string> ansi = encoder ? encoder(slashed) : system_ansi_name(slashed);
    if (ansi)
        return {*ansi, false};
    // The code page cannot hold the name: store it as UTF-8 and say so, rather than
    // replacing characters and making names collide or become unreadable.
    return {utf8_of(slashed), true};
}

namespace {

std::uint32_t check_archive(ZipArchive* archive)
{
    if (!archive)
        return kZipBadArgument;
    if (archive->magic != kMagic)
        return kZipNotAnArchive;
    if (archive->closed)
        return kZipAlreadyClosed;
    if (archive->failed)
        return kZipAlreadyFailed;
    return kZipOk;
}

bool write_at_end(ZipArchive* a, const std::string& bytes)
{
    if (!a->file->write(bytes.data(), bytes.size()))
        return false;
    a->offset += bytes.size();
    return true;
}

std::uint32_t fail(ZipArchive* a, std::uint32_t result)
{
    a->failed = true;
    return remember(result);
}

EntryRecord make_record(ZipArchive* a, const std::wstring& name, const FileStamp& stamp, bool folder)
{
    EntryRecord e;
    EncodedName encoded = encode_entry_name(name, a->options.encode_name);
    e.name = std::move(encoded.bytes);
    if (folder && (e.name.empty() || e.name.back() != '/'))
        e.name.push_back('/');
    e.flags = encoded.utf8 ? kFlagUtf8Name : 0;
    e.method = (folder || is_stored_by_name(name)) ? std::uint16_t{kMethodStored} : std::uint16_t{kMethodDeflated};
    dos_date_time(stamp.modified, e.dos_date, e.dos_time);
    e.modified = stamp.modified;
    e.accessed = stamp.accessed;
    e.created = stamp.created;
    e.external_attributes = external_attributes(stamp.attributes | (folder ? std::uint32_t{kAttrDirectory} : 0u));
    e.local_offset = a->offset;
    return e;
}

// Streams the source through Deflate (or copies it) into the archive, filling CRC
// and sizes of the record.
std::uint32_t write_data(ZipArchive* a, SourceFile& source, EntryRecord& e)
{
    std::vector<unsigned char> in(kChunk);
    std::vector<unsigned char> out(kChunk);
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
    std::uint64_t total_in = 0;
    std::uint64_t total_out = 0;

    z_stream z{};
    const bool deflating = e.method == kMethodDeflated;
    if (deflating && deflateInit2(&z, a->options.level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return kZipCompressionError;

    std::uint32_t result = kZipOk;
    // A log that its program keeps appending to is packed as it was when opened:
    // reading stops at that size, so a fast writer cannot keep the reading going.
    const std::uint64_t limit = source.stamp.size;
    bool end = false;
    while (!end && result == kZipOk) {
        std::size_t got = 0;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), limit - total_in));
        if (want == 0) {
            got = 0;
        } else if (!source.read(in.data(), want, got)) {
            // A read error after a successful open: keep the archive consistent with
            // what was read so far rather than abandoning it.
            got = 0;
        }
        end = got == 0;
        crc = static_cast<std::uint32_t>(crc32(crc, in.data(), static_cast<uInt>(got)));
        total_in += got;
        if (!deflating) {
            if (got && !a->file->write(in.data(), got))
                result = kZipWriteFailed;
            total_out += got;
            continue;
        }
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(got);
        const int flush = end ? Z_FINISH : Z_NO_FLUSH;
        int rc = Z_OK;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                result = kZipCompressionError;
                break;
            }
            const std::size_t produced = out.size() - z.avail_out;
            if (produced && !a->file->write(out.data(), produced)) {
                result = kZipWriteFailed;
                break;
            }
            total_out += produced;
        } while (z.avail_out == 0 || (end && rc != Z_STREAM_END));
    }
    if (deflating)
        deflateEnd(&z);
    if (result != kZipOk)
        return result;

    e.crc = crc;
    e.uncompressed_size = total_in;
    e.compressed_size = total_out;
    a->offset += total_out;
    if (!e.local_zip64 && (total_in >= kMax32 || total_out >= kMax32)) {
        // The file grew past 4 GiB after it was opened and its local header has no
        // room for Zip64 sizes; the entry cannot be described correctly.
        return kZipMethodChanged;
    }
    return kZipOk;
}

std::uint32_t finish_local_header(ZipArchive* a, const EntryRecord& e)
{
    const std::string tail = local_header_tail(e);
    if (!a->file->seek(e.local_offset + kLocalCrcOffset))
        return kZipSeekFailed;
    if (!a->file->write(tail.data(), tail.size()))
        return kZipWriteFailed;
    if (e.local_zip64) {
        // The Zip64 sizes sit at the end of the header's extra fields.
        const std::string header = local_header(e);
        const std::size_t at = header.size() - 16;
        if (!a->file->seek(e.local_offset + at) || !a->file->write(header.data() + at, 16))
            return kZipSeekFailed;
    }
    if (!a->file->seek(a->offset))
        return kZipSeekFailed;
    return kZipOk;
}

} // namespace

ZipArchivePtr zip_create(const std::wstring& path, const ZipOptions& options)
{
    if (path.empty()) {
        remember(kZipBadArgument);
        return nullptr;
    }
    auto file = create_archive_file(path);
    if (!file) {
        remember(kZipBadArgument);
        return nullptr;
    }
    ZipArchivePtr archive(new ZipArchive);
    archive->file = std::move(file);
    archive->options = options;
    remember(kZipOk);
    return archive;
}

std::uint32_t zip_add_file(ZipArchive* archive, const std::wstring& name, const std::wstring& source)
{
    if (std::uint32_t r = check_archive(archive))
        return remember(r);
    if (name.empty() || source.empty())
        return remember(kZipBadArgument);
    auto input = archive->options.open_file ? archive->options.open_file(source) : open_source(source);
    if (!input)
        return remember(kZipCannotOpenSource);

    EntryRecord e = make_record(archive, name, input->stamp, false);
    e.local_zip64 = input->stamp.size >= kZip64LocalThreshold;
    if (!write_at_end(archive, local_header(e)))
        return fail(archive, kZipWriteFailed);
    if (std::uint32_t r = write_data(archive, *input, e))
        return fail(archive, r);
    if (std::uint32_t r = finish_local_header(archive, e))
        return fail(archive, r);
    archive->entries.push_back(std::move(e));
    return remember(kZipOk);
}

std::uint32_t zip_add_folder(ZipArchive* archive, const std::wstring& name, const std::wstring& source)
{
    if (std::uint32_t r = check_archive(archive))
        return remember(r);
    if (name.empty())
        return remember(kZipBadArgument);
    FileStamp stamp;
    if (source.empty() || !read_stamp(source, stamp)) {
        const std::int64_t now = now_unix();
        stamp = FileStamp{0, now, now, now, kAttrDirectory};
    }
    EntryRecord e = make_record(archive, name, stamp, true);
    if (!write_at_end(archive, local_header(e)))
        return fail(archive, kZipWriteFailed);
    archive->entries.push_back(std::move(e));
    return remember(kZipOk);
}

std::uint32_t zip_close(ZipArchive* archive)
{
    if (!archive)
        return remember(kZipBadArgument);
    if (archive->magic != kMagic)
        return remember(kZipNotAnArchive);
    if (archive->closed)
        return remember(kZipAlreadyClosed);
    archive->closed = true;
    if (archive->failed) {
        archive->file->close();
        return remember(kZipAlreadyFailed);
    }
    const std::uint64_t directory_offset = archive->offset;
    std::string directory;
    for (const EntryRecord& e : archive->entries)
        directory += central_record(e);
    const std::string end = end_records(archive->entries.size(), directory.size(), directory_offset);
    if (!write_at_end(archive, directory) || !write_at_end(archive, end)) {
        archive->file->close();
        return remember(kZipWriteFailed);
    }
    if (!archive->file->close())
        return remember(kZipWriteFailed);
    return remember(kZipOk);
}

std::uint32_t zip_last_result()
{
    return g_last_result.load();
}

} // namespace vantu::zip
