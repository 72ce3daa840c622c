#include "diag/archive/zip_reader.h"

#include "common/text_convert.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>

namespace vantu::zip {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;

std::uint64_t le(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

bool read_at(std::ifstream& f, std::uint64_t offset, void* data, std::size_t size)
{
    f.clear();
    f.seekg(static_cast<std::streamoff>(offset));
    f.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(f.gcount()) == size;
}

std::uint64_t expansion_bound(std::uint64_t compressed)
{
    return std::max(kExpansionFloor, compressed > UINT64_MAX / kMaxExpansion ? UINT64_MAX : compressed * kMaxExpansion);
}

} // namespace

std::wstring read_failure_text(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::none: return L"read";
    case ReadFailure::cannot_open: return L"cannot be opened";
    case ReadFailure::not_a_zip: return L"not a ZIP archive";
    case ReadFailure::damaged: return L"damaged (a record, CRC or size does not match, or the data is cut short)";
    case ReadFailure::unsupported: return L"encrypted or packed with a method other than stored or Deflate";
    case ReadFailure::too_expanding:
        return L"an entry expands more than a thousandfold (refused as a possible ZIP bomb)";
    case ReadFailure::sink_failed: return L"its contents could not be written";
    }
    return L"";
}

std::unique_ptr<ZipReader> ZipReader::open(const std::wstring& path, ReadFailure& why)
{
    auto reader = std::unique_ptr<ZipReader>(new ZipReader);
    reader->m_file.open(std::filesystem::path(path), std::ios::binary);
    if (!reader->m_file) {
        why = ReadFailure::cannot_open;
        return nullptr;
    }
    std::ifstream& f = reader->m_file;
    f.seekg(0, std::ios::end);
    const std::uint64_t size = static_cast<std::uint64_t>(f.tellg());
    reader->m_size = size;
    why = ReadFailure::not_a_zip;
    if (size < 22)
        return nullptr;

    // The end record sits within the last 64 KiB + 22 bytes (its comment).
    const std::uint64_t tail_size = std::min<std::uint64_t>(size, 65535 + 22);
    std::vector<unsigned char> tail(static_cast<std::size_t>(tail_size));
    if (!read_at(f, size - tail_size, tail.data(), tail.size()))
        return nullptr;
    std::size_t end_at = std::string::npos;
    for (std::size_t i = tail.size() - 22 + 1; i-- > 0;) {
        if (le(&tail[i], 4) == kEndSignature && i + 22 + le(&tail[i + 20], 2) == tail.size()) {
            end_at = i;
            break;
        }
    }
    if (end_at == std::string::npos)
        return nullptr;
    why = ReadFailure::damaged;
    const unsigned char* end = &tail[end_at];
    std::uint64_t count = le(end + 10, 2);
    std::uint64_t directory_size = le(end + 12, 4);
    std::uint64_t directory_offset = le(end + 16, 4);
    const std::uint64_t end_offset = size - tail_size + end_at;
    if (count == 0xFFFF || directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF) {
        unsigned char locator[20];
        if (end_offset < 20 || !read_at(f, end_offset - 20, locator, 20) || le(locator, 4) != kZip64LocatorSignature)
            return nullptr;
        unsigned char end64[56];
        const std::uint64_t end64_offset = le(locator + 8, 8);
        if (end64_offset + 56 > size || !read_at(f, end64_offset, end64, 56) || le(end64, 4) != kZip64EndSignature)
            return nullptr;
        count = le(end64 + 32, 8);
        directory_size = le(end64 + 40, 8);
        directory_offset = le(end64 + 48, 8);
    }
    if (directory_offset > size || directory_size > size - directory_offset || count > directory_size / 46 + 1)
        return nullptr;

    std::vector<unsigned char> directory(static_cast<std::size_t>(directory_size));
    if (!read_at(f, directory_offset, directory.data(), directory.size()))
        return nullptr;
    std::size_t at = 0;
    for (std::uint64_t n = 0; n < count; ++n) {
        if (at + 46 > directory.size() || le(&directory[at], 4) != kCentralSignature)
            return nullptr;
        const unsigned char* c = &directory[at];
        ReadEntry e;
        e.flags = static_cast<std::uint16_t>(le(c + 8, 2));
        e.method = static_cast<std::uint16_t>(le(c + 10, 2));
        e.crc32 = static_cast<std::uint32_t>(le(c + 16, 4));
        e.compressed_size = le(c + 20, 4);
        e.size = le(c + 24, 4);
        const std::size_t name_size = static_cast<std::size_t>(le(c + 28, 2));
        const std::size_t extra_size = static_cast<std::size_t>(le(c + 30, 2));
        const std::size_t comment_size = static_cast<std::size_t>(le(c + 32, 2));
        e.local_offset = le(c + 42, 4);
        if (at + 46 + name_size + extra_size + comment_size > directory.size())
            return nullptr;
        const std::string raw(reinterpret_cast<const char*>(c + 46), name_size);
        e.name = (e.flags & 0x800) ? from_utf8(raw) : from_system_narrow(raw);
        e.folder = !raw.empty() && raw.back() == '/';
        // Zip64 sizes and offset, in this order, for each field that is full.
        const unsigned char* x = c + 46 + name_size;
        for (std::size_t k = 0; k + 4 <= extra_size;) {
            const std::uint64_t id = le(x + k, 2), len = le(x + k + 2, 2);
            if (k + 4 + len > extra_size)
                return nullptr;
            if (id == 1) {
                std::size_t p = k + 4;
                auto take = [&](std::uint64_t& field) {
                    if (field == 0xFFFFFFFF && p + 8 <= k + 4 + len) {
                        field = le(x + p, 8);
                        p += 8;
                    }
                };
                take(e.size);
                take(e.compressed_size);
                take(e.local_offset);
            }
            k += 4 + static_cast<std::size_t>(len);
        }
        if (e.local_offset >= size || e.compressed_size > size)
            return nullptr;
        reader->m_entries.push_back(std::move(e));
        at += 46 + name_size + extra_size + comment_size;
    }
    why = ReadFailure::none;
    return reader;
}

const ReadEntry* ZipReader::find(const std::wstring& name) const
{
    for (const ReadEntry& e : m_entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

ReadFailure ZipReader::extract(const ReadEntry& e, const ReadSink& sink)
{
    if (e.flags & 1)
        return ReadFailure::unsupported;
    if (e.method != 0 && e.method != 8)
        return ReadFailure::unsupported;
    const std::uint64_t bound = expansion_bound(e.compressed_size);
    if (e.size > bound)
        return ReadFailure::too_expanding;
    unsigned char local[30];
    if (!read_at(m_file, e.local_offset, local, 30) || le(local, 4) != kLocalSignature)
        return ReadFailure::damaged;
    const std::uint64_t data_at = e.local_offset + 30 + le(local + 26, 2) + le(local + 28, 2);
    if (data_at > m_size || e.compressed_size > m_size - data_at)
        return ReadFailure::damaged;

    m_file.clear();
    m_file.seekg(static_cast<std::streamoff>(data_at));
    std::vector<unsigned char> in(64 * 1024), out(256 * 1024);
    std::uint64_t left = e.compressed_size, produced = 0;
    std::uint32_t crc = 0;
    z_stream z{};
    const bool inflating = e.method == 8;
    if (inflating && inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return ReadFailure::damaged;
    struct End
    {
        z_stream* z;
        bool on;
        ~End()
        {
            if (on)
                inflateEnd(z);
        }
    } end{&z, inflating};

    auto deliver = [&](const unsigned char* data, std::size_t n) -> ReadFailure {
        produced += n;
        if (produced > e.size)
            return produced > bound ? ReadFailure::too_expanding : ReadFailure::damaged;
        crc = static_cast<std::uint32_t>(crc32(crc, data, static_cast<uInt>(n)));
        return sink(data, n) ? ReadFailure::none : ReadFailure::sink_failed;
    };
    bool stream_end = !inflating;
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), left));
        m_file.read(reinterpret_cast<char*>(in.data()), static_cast<std::streamsize>(want));
        if (static_cast<std::size_t>(m_file.gcount()) != want)
            return ReadFailure::damaged;
        left -= want;
        if (!inflating) {
            if (ReadFailure r = deliver(in.data(), want); r != ReadFailure::none)
                return r;
            continue;
        }
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(want);
        while (z.avail_in > 0 && !stream_end) {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            const int rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                return ReadFailure::damaged;
            const std::size_t n = out.size() - z.avail_out;
            if (n > 0)
                if (ReadFailure r = deliver(out.data(), n); r != ReadFailure::none)
                    return r;
            if (rc == Z_STREAM_END)
                stream_end = true;
            else if (rc == Z_BUF_ERROR && n == 0)
                break;
        }
    }
    // What is still buffered inside the inflater.
    while (inflating && !stream_end) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_FINISH);
        const std::size_t n = out.size() - z.avail_out;
        if (n > 0)
            if (ReadFailure r = deliver(out.data(), n); r != ReadFailure::none)
                return r;
        if (rc == Z_STREAM_END)
            stream_end = true;
        else if (n == 0)
            return ReadFailure::damaged;
    }
    if (produced != e.size || crc != e.crc32)
        return ReadFailure::damaged;
    return ReadFailure::none;
}

ReadFailure ZipReader::extract_to_string(const ReadEntry& e, std::string& out, std::uint64_t limit)
{
    out.clear();
    if (e.size > limit)
        return ReadFailure::too_expanding;
    return extract(e, [&](const unsigned char* data, std::size_t n) {
        if (out.size() + n > limit)
            return false;
        out.append(reinterpret_cast<const char*>(data), n);
        return true;
    });
}

} // namespace vantu::zip
