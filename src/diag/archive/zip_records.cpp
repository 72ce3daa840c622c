#include "diag/archive/zip_records.h"

#include <algorithm>
#include <cwctype>
#include <ctime>

namespace vantu::zip {
namespace {

void put16(std::string& out, std::uint64_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::uint64_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

void put64(std::string& out, std::uint64_t v)
{
    put32(out, v & 0xFFFFFFFFull);
    put32(out, v >> 32);
}

std::uint32_t unix32(std::int64_t t)
{
    // The extended time field holds a signed 32-bit count; keep out-of-range times
    // at its ends instead of wrapping.
    const std::int64_t clamped = std::clamp<std::int64_t>(t, INT32_MIN, INT32_MAX);
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(clamped));
}

std::uint16_t needed_version(bool zip64)
{
    return zip64 ? kVersionNeededZip64 : kVersionNeeded;
}

} // namespace

void dos_date_time(std::int64_t unix_time, std::uint16_t& dos_date, std::uint16_t& dos_time)
{
    constexpr std::int64_t k1980 = 315532800;      // 1980-01-01 00:00:00 UTC
    constexpr std::int64_t kLast = 4354819199;     // 2107-12-31 23:59:59 UTC
    const std::int64_t t = std::clamp(unix_time, k1980, kLast);
    // Civil date from days since the epoch, independent of the C runtime's gmtime range.
    std::int64_t days = t / 86400;
    const std::int64_t secs = t % 86400;
    days += 719468;
    const std::int64_t era = days / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    dos_date = static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    const std::int64_t hour = secs / 3600;
    const std::int64_t minute = (secs / 60) % 60;
    const std::int64_t second = secs % 60;
    dos_time = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

std::uint32_t external_attributes(std::uint32_t windows_attributes)
{
    const bool folder = (windows_attributes & 0x10) != 0;
    std::uint32_t mode = folder ? 0x4000 : 0x8000;
    mode |= 0x0100;
    if ((windows_attributes & 0x01) == 0)
        mode |= 0x0080;
    return (mode << 16) | (windows_attributes & 0x37);
}

bool is_stored_by_name(const std::wstring& name)
{
    static const wchar_t* const kStored[] = {L".z", L".zip", L".zoo", L".arc", L".lzh", L".arj", L".gz", L".tgz"};
    std::wstring lower(name);
    for (auto& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    for (const wchar_t* ext : kStored) {
        const std::wstring e(ext);
        if (lower.size() >= e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

std::string local_header_tail(const EntryRecord& e)
{
    std::string out;
    put32(out, e.crc);
    if (e.local_zip64) {
        put32(out, kMax32);
        put32(out, kMax32);
    } else {
        put32(out, e.compressed_size);
        put32(out, e.uncompressed_size);
    }
    return out;
}

std::string local_header(const EntryRecord& e)
{
    std::string out;
    put32(out, 0x04034b50);
    put16(out, needed_version(e.local_zip64));
    put16(out, e.flags);
    put16(out, e.method);
    put16(out, e.dos_time);
    put16(out, e.dos_date);
    out += local_header_tail(e);
    put16(out, e.name.size());
    put16(out, 17 + (e.local_zip64 ? 20 : 0));
    out += e.name;
    // Extended time stamp: modification, access and creation time.
    put16(out, 0x5455);
    put16(out, 13);
    out.push_back(7);
    put32(out, unix32(e.modified));
    put32(out, unix32(e.accessed));
    put32(out, unix32(e.created));
    if (e.local_zip64) {
        put16(out, 0x0001);
        put16(out, 16);
        put64(out, e.uncompressed_size);
        put64(out, e.compressed_size);
    }
    return out;
}

bool needs_zip64_central(const EntryRecord& e)
{
    return e.uncompressed_size >= kMax32 || e.compressed_size >= kMax32 || e.local_offset >= kMax32;
}

std::string central_record(const EntryRecord& e)
{
    const bool big_usize = e.uncompressed_size >= kMax32;
    const bool big_csize = e.compressed_size >= kMax32;
    const bool big_offset = e.local_offset >= kMax32;
    const bool zip64 = big_usize || big_csize || big_offset;
    std::string zip64_extra;
    if (zip64) {
        std::string data;
        if (big_usize)
            put64(data, e.uncompressed_size);
        if (big_csize)
            put64(data, e.compressed_size);
        if (big_offset)
            put64(data, e.local_offset);
        put16(zip64_extra, 0x0001);
        put16(zip64_extra, data.size());
        zip64_extra += data;
    }
    std::string out;
    put32(out, 0x02014b50);
    put16(out, kVersionMadeBy);
    put16(out, needed_version(zip64 || e.local_zip64));
    put16(out, e.flags);
    put16(out, e.method);
    put16(out, e.dos_time);
    put16(out, e.dos_date);
    put32(out, e.crc);
    put32(out, big_csize ? kMax32 : e.compressed_size);
    put32(out, big_usize ? kMax32 : e.uncompressed_size);
    put16(out, e.name.size());
    put16(out, 9 + zip64_extra.size());
    put16(out, 0); // comment
    put16(out, 0); // disk
    put16(out, 0); // internal attributes
    put32(out, e.external_attributes);
    put32(out, big_offset ? kMax32 : e.local_offset);
    out += e.name;
    put16(out, 0x5455);
    put16(out, 5);
    out.push_back(7);
    put32(out, unix32(e.modified));
    out += zip64_extra;
    return out;
}

std::string end_records(std::uint64_t count, std::uint64_t size, std::uint64_t offset)
{
    std::string out;
    const bool zip64 = count >= kMax16 || size >= kMax32 || offset >= kMax32;
    if (zip64) {
        const std::uint64_t record_offset = offset + size;
        put32(out, 0x06064b50);
        put64(out, 44);
        put16(out, kVersionMadeBy);
        put16(out, kVersionNeededZip64);
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, size);
        put64(out, offset);
        put32(out, 0x07064b50);
        put32(out, 0);
        put64(out, record_offset);
        put32(out, 1);
    }
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, std::min(count, kMax16));
    put16(out, std::min(count, kMax16));
    put32(out, std::min(size, kMax32));
    put32(out, std::min(offset, kMax32));
    put16(out, 0);
    return out;
}

} // namespace vantu::zip
