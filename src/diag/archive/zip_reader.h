// Reading a ZIP archive back: the central directory (Zip64 too) and each entry's
// bytes streamed through Inflate in blocks, checked against its CRC-32 and size.
// Made for archives this program wrote; anything else is read as far as the
// format allows and refused with a reason rather than trusted: an entry whose
// data would expand past a bound (a "ZIP bomb") is refused before and while it
// is inflated, so memory and disk stay bounded whatever the archive claims.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantu::zip {

struct ReadEntry
{
    std::wstring name;   // as stored ("/" between folders)
    bool folder = false;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressed_size = 0;
    std::uint64_t size = 0;
    std::uint64_t local_offset = 0;
};

enum class ReadFailure {
    none,
    cannot_open,   // the file cannot be opened
    not_a_zip,     // no end of central directory
    damaged,       // a record out of place, a CRC or size that does not match, data cut short
    unsupported,   // encrypted, or a method other than stored and Deflate
    too_expanding, // expands more than the bound allows
    sink_failed,   // the receiver of the bytes gave up
};

// One English line for a failure ("damaged: ...", used in messages and logs).
std::wstring read_failure_text(ReadFailure failure);

// Receives an entry's bytes in order; false stops the extraction.
using ReadSink = std::function<bool(const unsigned char* data, std::size_t size)>;

// An entry may expand to at most kMaxExpansion times its compressed size, or
// kExpansionFloor bytes, whichever is more.
inline constexpr std::uint64_t kMaxExpansion = 1000;
inline constexpr std::uint64_t kExpansionFloor = 1024 * 1024;

class ZipReader
{
public:
    // Null when the file cannot be opened or its directory cannot be read; `why` says which.
    static std::unique_ptr<ZipReader> open(const std::wstring& path, ReadFailure& why);

    const std::vector<ReadEntry>& entries() const { return m_entries; }
    // The first entry with this name, or null.
    const ReadEntry* find(const std::wstring& name) const;

    // Streams the entry's bytes to `sink`, checking them as they come.
    ReadFailure extract(const ReadEntry& entry, const ReadSink& sink);
    // The whole entry in memory, for small entries (at most `limit` bytes).
    ReadFailure extract_to_string(const ReadEntry& entry, std::string& out, std::uint64_t limit);

private:
    std::ifstream m_file;
    std::uint64_t m_size = 0;
    std::vector<ReadEntry> m_entries;
};

} // namespace vantu::zip
