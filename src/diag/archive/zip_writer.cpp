#include "diag/archive/zip_writer.h"

#include "common/file_utils.h"
#include "diag/archive/block_deflate.h"
#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_records.h"

#include <cryptopp/sha.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <thread>
#include <vector>

namespace vantu::zip {

namespace {

constexpr std::uint32_t kMagic = 0x5A495057; // "ZIPW"
constexpr std::size_t kSerialChunk = 256 * 1024;

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
    std::vector<ArchiveEntryRecord> records;
    std::vector<SkippedFile> skipped;
    std::uint64_t offset = 0; // end of what has been written
    bool failed = false;
    bool closed = false;
    std::unique_ptr<DeflatePool> pool; // made on first use with more than one thread
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

unsigned zip_thread_count(const ZipOptions& options)
{
    if (options.threads > 0)
        return std::min(options.threads, kMaxZipThreads);
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1u, kMaxZipThreads);
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

bool write_at_end(ZipArchive* a, const void* data, std::size_t size)
{
    if (!a->file->write(data, size))
        return false;
    a->offset += size;
    return true;
}

bool write_at_end(ZipArchive* a, const std::string& bytes)
{
    return write_at_end(a, bytes.data(), bytes.size());
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

std::string hex_of(const unsigned char* bytes, std::size_t size)
{
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    return out;
}

SkipReason reason_of(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::not_found: return SkipReason::vanished;
    case OpenFailure::path_too_long: return SkipReason::path_too_long;
    default: return SkipReason::locked;
    }
}

// An entry from its local header to its end, shared by the reading side (which
// creates it) and the writing side (which fills offsets, CRC and sizes).
struct EntryState
{
    EntryRecord record;
    ArchiveEntryRecord info;
    std::uint32_t crc = 0;
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    // The serial path's one continuous Deflate stream.
    z_stream z{};
    bool z_open = false;
    ~EntryState()
    {
        if (z_open)
            deflateEnd(&z);
    }
};

// The steps of writing, in archive order.
struct Step
{
    enum Kind { begin, block, end, take_back } kind;
    std::shared_ptr<EntryState> entry;
    std::shared_ptr<BlockJob> job;
};

struct ReadOutcome
{
    bool complete = false;
    SkipReason reason = SkipReason::read_error;
    std::uint64_t bytes = 0;
};

// Reads sources on the calling thread, hands blocks to the pool and writes what
// is finished in order, keeping at most `m_limit` blocks' worth of data ahead of
// the file.
class Packer
{
public:
    explicit Packer(ZipArchive* a) : m_a(a)
    {
        m_threads = zip_thread_count(a->options);
        if (m_threads > 1 && !a->pool)
            a->pool = std::make_unique<DeflatePool>(m_threads);
        m_limit = 2 * m_threads + 2;
        m_block = std::max<std::size_t>(a->options.block_bytes, kDictionaryBytes);
    }

    std::uint32_t error() const { return m_error; }

    void add_folder(const ZipItem& given)
    {
        const ZipItem item = renamed(given);
        FileStamp stamp;
        if (item.source.empty() || !read_stamp(item.source, stamp)) {
            const std::int64_t now = now_unix();
            stamp = FileStamp{0, now, now, now, kAttrDirectory};
        }
        auto e = std::make_shared<EntryState>();
        e->record = make_record(m_a, item.name, stamp, true);
        e->info.name = item.name;
        e->info.source_path = item.source;
        e->info.folder = true;
        push({Step::begin, e, nullptr});
        push({Step::end, e, nullptr});
    }

    // kZipOk, kZipCannotOpenSource (not opened, nothing written) or
    // kZipSourceIncomplete (taken back out); the last two are listed as skipped.
    std::uint32_t add_file(const ZipItem& given, const HeldFileCopy* held)
    {
        const ZipItem item = renamed(given);
        ReadOutcome last;
        for (int attempt = 0; attempt < 2 && !m_error; ++attempt) {
            bool from_copy = false;
            OpenFailure failure = OpenFailure::none;
            std::unique_ptr<SourceFile> source = open(item.source, failure);
            if (!source && failure == OpenFailure::locked && held && held->copy && !held->temp_path.empty() &&
                held->copy(item.source, held->temp_path)) {
                OpenFailure copy_failure = OpenFailure::none;
                source = open(held->temp_path, copy_failure);
                from_copy = true;
                if (!source)
                    delete_file(held->temp_path);
            }
            if (!source) {
                skip(item, reason_of(failure), 0);
                return attempt == 0 ? kZipCannotOpenSource : kZipSourceIncomplete;
            }
            auto e = std::make_shared<EntryState>();
            std::unique_ptr<EntryFilter> filter =
                m_a->options.filter ? m_a->options.filter(item.name, item.source) : nullptr;
            e->record = make_record(m_a, item.name, source->stamp, false);
            // A pseudonym may be longer than the value it replaces.
            e->record.local_zip64 = source->stamp.size >= (filter ? kZip64LocalThreshold / 2 : kZip64LocalThreshold);
            e->info.name = item.name;
            e->info.source_path = item.source;
            e->info.from_copy = from_copy;
            push({Step::begin, e, nullptr});
            last = stream(*source, e, filter.get());
            source.reset();
            if (from_copy)
                delete_file(held->temp_path);
            if (last.complete) {
                if (filter)
                    filter->describe(e->info);
                push({Step::end, e, nullptr});
                return kZipOk;
            }
            push({Step::take_back, e, nullptr});
            if (last.reason == SkipReason::not_text)
                break; // reading it again gives the same bytes
        }
        if (m_error)
            return m_error;
        skip(item, last.reason, last.bytes);
        return last.reason == SkipReason::not_text ? kZipFilterRefused : kZipSourceIncomplete;
    }

    // Writes everything still in flight.
    std::uint32_t finish()
    {
        while (!m_steps.empty() && !m_error)
            write_front();
        m_steps.clear();
        return m_error;
    }

private:
    ZipItem renamed(const ZipItem& item) const
    {
        if (!m_a->options.rename)
            return item;
        ZipItem out = item;
        out.name = m_a->options.rename(item.name);
        return out;
    }

    std::unique_ptr<SourceFile> open(const std::wstring& path, OpenFailure& failure)
    {
        failure = OpenFailure::none;
        if (!m_a->options.open_file)
            return open_source(path, &failure);
        auto source = m_a->options.open_file(path);
        if (!source)
            failure = file_exists(path) ? OpenFailure::locked : OpenFailure::not_found;
        return source;
    }

    void skip(const ZipItem& item, SkipReason reason, std::uint64_t bytes)
    {
        m_a->skipped.push_back(SkippedFile{item.source, item.name, reason, bytes});
    }

    // What is in flight is bounded by its bytes, `m_limit` full blocks' worth: a
    // bound on the number of blocks alone would let only a few small files ahead
    // of the one being written, and the workers would wait for them. The step
    // count bounds the headers and ends of many tiny or empty files.
    void push(Step step)
    {
        if (step.kind == Step::block)
            m_bytes_ahead += step.job->input.size();
        m_steps.push_back(std::move(step));
        while ((m_bytes_ahead > m_limit * m_block || m_steps.size() > 64 * m_limit) && !m_error)
            write_front();
    }

    // Reads the source up to its size at opening, in blocks.
    ReadOutcome stream(SourceFile& source, const std::shared_ptr<EntryState>& e, EntryFilter* filter)
    {
        ReadOutcome r;
        const bool stored = e->record.method == kMethodStored;
        const bool serial = m_threads <= 1;
        if (serial && !stored) {
            if (deflateInit2(&e->z, m_a->options.level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
                m_error = kZipCompressionError;
                return r;
            }
            e->z_open = true;
        }
        CryptoPP::SHA256 sha;
        const std::uint64_t limit = source.stamp.size;
        const std::size_t chunk = serial ? kSerialChunk : m_block;
        std::vector<unsigned char> previous_tail;
        std::vector<unsigned char> raw;
        std::string filtered;
        std::uint64_t total = 0;
        bool first = true;
        while (first || total < limit) {
            first = false;
            auto job = std::make_shared<BlockJob>();
            job->level = m_a->options.level;
            job->stored = stored;
            job->dictionary = stored || serial ? 0 : previous_tail.size();
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, limit - total));
            // Unfiltered, the source is read straight into the block; filtered,
            // into `raw` first and the block gets what the filter makes of it.
            unsigned char* target = nullptr;
            if (filter) {
                raw.resize(want);
                target = raw.data();
                job->input.resize(job->dictionary);
            } else {
                job->input.resize(job->dictionary + want);
                target = job->input.data() + job->dictionary;
            }
            std::copy(previous_tail.end() - static_cast<std::ptrdiff_t>(job->dictionary), previous_tail.end(),
                      job->input.begin());
            std::size_t filled = 0;
            while (filled < want) {
                std::size_t got = 0;
                if (!source.read(target + filled, want - filled, got)) {
                    r.reason = SkipReason::read_error;
                    r.bytes = total + filled;
                    return r;
                }
                if (got == 0) {
                    r.reason = SkipReason::shrank;
                    r.bytes = total + filled;
                    return r;
                }
                filled += got;
            }
            total += want;
            job->last = total >= limit;
            std::size_t produced = want;
            if (filter) {
                filtered.clear();
                bool accepted = filter->feed(std::string_view(reinterpret_cast<const char*>(raw.data()), want), filtered);
                if (accepted && job->last)
                    accepted = filter->finish(filtered);
                if (!accepted) {
                    r.reason = SkipReason::not_text;
                    r.bytes = total;
                    return r;
                }
                if (filtered.empty() && !job->last)
                    continue; // the filter holds it back for now
                produced = filtered.size();
                job->input.resize(job->dictionary + produced);
                std::copy(filtered.begin(), filtered.end(),
                          job->input.begin() + static_cast<std::ptrdiff_t>(job->dictionary));
            }
            if (m_a->options.sha256)
                sha.Update(job->input.data() + job->dictionary, produced);
            if (!stored && !serial && !job->last) {
                const std::size_t keep = std::min(produced, kDictionaryBytes);
                previous_tail.assign(job->input.end() - static_cast<std::ptrdiff_t>(keep), job->input.end());
            }
            if (serial || stored) {
                if (!compress_serial(*job, *e)) {
                    m_error = kZipCompressionError;
                    return r;
                }
                job->mark_done();
            } else {
                m_a->pool->submit(job);
            }
            push({Step::block, e, job});
            if (m_error)
                return r;
        }
        if (m_a->options.sha256) {
            unsigned char digest[CryptoPP::SHA256::DIGESTSIZE];
            sha.Final(digest);
            e->info.sha256 = hex_of(digest, sizeof digest);
        }
        r.complete = true;
        r.bytes = total;
        return r;
    }

    // Stored data, or the next piece of the entry's one continuous stream.
    static bool compress_serial(BlockJob& job, EntryState& e)
    {
        if (job.stored || !e.z_open) {
            compress_block(job);
            return job.ok;
        }
        const unsigned char* data = job.input.data();
        job.crc = static_cast<std::uint32_t>(crc32(0L, data, static_cast<uInt>(job.input.size())));
        e.z.next_in = const_cast<unsigned char*>(data);
        e.z.avail_in = static_cast<uInt>(job.input.size());
        const int flush = job.last ? Z_FINISH : Z_NO_FLUSH;
        unsigned char out[64 * 1024];
        int rc = Z_OK;
        do {
            e.z.next_out = out;
            e.z.avail_out = sizeof out;
            rc = deflate(&e.z, flush);
            if (rc == Z_STREAM_ERROR)
                return false;
            job.output.insert(job.output.end(), out, out + (sizeof out - e.z.avail_out));
        } while (e.z.avail_out == 0 || (job.last && rc != Z_STREAM_END));
        job.ok = true;
        return true;
    }

    void write_front()
    {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (step.kind == Step::block)
            m_bytes_ahead -= step.job->input.size();
        EntryState& e = *step.entry;
        switch (step.kind) {
        case Step::begin:
            e.record.local_offset = m_a->offset;
            e.crc = 0;
            e.in = e.out = 0;
            if (!write_at_end(m_a, local_header(e.record)))
                m_error = kZipWriteFailed;
            break;
        case Step::block: {
            step.job->wait();
            if (!step.job->ok) {
                m_error = kZipCompressionError;
                break;
            }
            const std::size_t n = step.job->data_size();
            e.crc = static_cast<std::uint32_t>(crc32_combine(e.crc, step.job->crc, static_cast<z_off_t>(n)));
            e.in += n;
            e.out += step.job->output.size();
            if (!step.job->output.empty() && !write_at_end(m_a, step.job->output.data(), step.job->output.size()))
                m_error = kZipWriteFailed;
            break;
        }
        case Step::end:
            e.record.crc = e.crc;
            e.record.uncompressed_size = e.in;
            e.record.compressed_size = e.out;
            if (!e.record.local_zip64 && (e.in >= kMax32 || e.out >= kMax32)) {
                // The local header, written for a smaller file, has no room for
                // Zip64 sizes: the entry cannot be described correctly.
                m_error = kZipEntryTooLarge;
                break;
            }
            if (std::uint32_t r = finish_local_header(m_a, e.record)) {
                m_error = r;
                break;
            }
            e.info.size = e.in;
            e.info.compressed_size = e.out;
            e.info.crc32 = e.crc;
            m_a->entries.push_back(e.record);
            m_a->records.push_back(e.info);
            break;
        case Step::take_back:
            // The attempt is dropped: what follows overwrites it, and closing
            // cuts the file where the archive ends.
            if (!m_a->file->seek(e.record.local_offset))
                m_error = kZipSeekFailed;
            m_a->offset = e.record.local_offset;
            break;
        }
    }

    ZipArchive* m_a;
    unsigned m_threads = 1;
    std::size_t m_limit = 4;       // full blocks' worth of bytes in flight
    std::size_t m_bytes_ahead = 0; // input bytes of the blocks not yet written
    std::size_t m_block = kZipBlockBytes;
    std::deque<Step> m_steps;
    std::uint32_t m_error = kZipOk;
};

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
    Packer packer(archive);
    const std::uint32_t added = packer.add_file(ZipItem{name, source, false}, nullptr);
    if (std::uint32_t r = packer.finish())
        return fail(archive, r);
    return remember(added);
}

std::uint32_t zip_add_folder(ZipArchive* archive, const std::wstring& name, const std::wstring& source)
{
    if (std::uint32_t r = check_archive(archive))
        return remember(r);
    if (name.empty())
        return remember(kZipBadArgument);
    Packer packer(archive);
    packer.add_folder(ZipItem{name, source, true});
    if (std::uint32_t r = packer.finish())
        return fail(archive, r);
    return remember(kZipOk);
}

std::uint32_t zip_add_items(ZipArchive* archive, const std::vector<ZipItem>& items, const HeldFileCopy& held)
{
    if (std::uint32_t r = check_archive(archive))
        return remember(r);
    Packer packer(archive);
    for (const ZipItem& item : items) {
        if (packer.error())
            break;
        if (item.name.empty() || (!item.folder && item.source.empty()))
            continue;
        if (item.folder)
            packer.add_folder(item);
        else
            packer.add_file(item, &held);
    }
    if (std::uint32_t r = packer.finish())
        return fail(archive, r);
    return remember(kZipOk);
}

const std::vector<ArchiveEntryRecord>& zip_entry_records(const ZipArchive* archive)
{
    static const std::vector<ArchiveEntryRecord> none;
    return archive && archive->magic == kMagic ? archive->records : none;
}

const std::vector<SkippedFile>& zip_skipped_files(const ZipArchive* archive)
{
    static const std::vector<SkippedFile> none;
    return archive && archive->magic == kMagic ? archive->skipped : none;
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
    archive->pool.reset();
    if (archive->failed) {
        archive->file->close();
        return remember(kZipAlreadyFailed);
    }
    const std::uint64_t directory_offset = archive->offset;
    std::string directory;
    for (const EntryRecord& e : archive->entries)
        directory += central_record(e);
    const std::string end = end_records(archive->entries.size(), directory.size(), directory_offset);
    // Cutting the file matters after an entry was taken back at the end.
    if (!write_at_end(archive, directory) || !write_at_end(archive, end) || !archive->file->truncate_here()) {
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
