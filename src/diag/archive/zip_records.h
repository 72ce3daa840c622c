// Byte layout of the ZIP records the writer produces (PKWARE application note):
// local headers, central directory records, the end records, and the Zip64 forms
// used when a size or offset does not fit 32 bits.
#pragma once

#include <cstdint>
#include <string>

namespace vantu::zip {

constexpr std::uint64_t kMax32 = 0xFFFFFFFFull;
constexpr std::uint64_t kMax16 = 0xFFFFull;
constexpr std::uint16_t kVersionMadeBy = 0x0B17; // NTFS host, format version 2.3
constexpr std::uint16_t kVersionNeeded = 20;
constexpr std::uint16_t kVersionNeededZip64 = 45;
constexpr std::uint16_t kFlagUtf8Name = 0x0800;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

// A source larger than this gets room for Zip64 sizes in its local header,
// because a deflated stream can come out slightly larger than its input.
constexpr std::uint64_t kZip64LocalThreshold = 0xFF000000ull;

struct EntryRecord
{
    std::string name; // bytes as stored
    std::uint16_t flags = 0;
    std::uint16_t method = kMethodDeflated;
    std::uint16_t dos_time = 0;
    std::uint16_t dos_date = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressed_size = 0;
    std::uint64_t uncompressed_size = 0;
    std::uint64_t local_offset = 0;
    std::uint32_t external_attributes = 0;
    std::int64_t modified = 0;
    std::int64_t accessed = 0;
    std::int64_t created = 0;
    // The local header carries a Zip64 extra field (sizes there are 0xFFFFFFFF).
    bool local_zip64 = false;
};

// DOS date and time of a Unix time, read in UTC; times before 1980 become
// 1980-01-01 00:00:00 and times after 2107 the last DOS time.
void dos_date_time(std::int64_t unix_time, std::uint16_t& dos_date, std::uint16_t& dos_time);

// Low byte: Windows attributes masked with 0x37; high 16 bits: Unix file type and
// owner read/write permission.
std::uint32_t external_attributes(std::uint32_t windows_attributes);

// Stored for names that are already compressed archives, Deflate otherwise.
bool is_stored_by_name(const std::wstring& name);

std::string local_header(const EntryRecord& entry);
// Offset of the CRC field inside the local header (the part rewritten after the data).
constexpr std::uint64_t kLocalCrcOffset = 14;
// CRC, sizes and (with local_zip64) the Zip64 sizes as they follow kLocalCrcOffset.
std::string local_header_tail(const EntryRecord& entry);
std::string central_record(const EntryRecord& entry);
// End records for a directory of `count` records, `size` bytes long, at `offset`;
// adds the Zip64 end record and locator when a figure does not fit.
std::string end_records(std::uint64_t count, std::uint64_t size, std::uint64_t offset);
bool needs_zip64_central(const EntryRecord& entry);

} // namespace vantu::zip
