// What a save packed and what it left out, one plain record per entry and per
// file not packed. The writer fills them while the data streams through, so that
// a later reader (a manifest, a report page) needs no second pass over the files:
//
//   ArchiveEntryRecord  name in the archive, source path, size, compressed size,
//                       CRC-32, SHA-256 (lower-case hex), folder entry or file,
//                       packed from a temporary copy of a held file
//   SkippedFile         source path, the name it would have had, why it was left
//                       out (SkipReason) and how many bytes were read before that
//   RefusedFolder       a folder the folder guard kept out, with the rule
//
// The records are portable (no platform types) and owned by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantu::zip {

struct ArchiveEntryRecord
{
    std::wstring name;        // as given to the writer ("\" as in the source)
    std::wstring source_path; // the file read; empty for a folder entry without source
    std::uint64_t size = 0;
    std::uint64_t compressed_size = 0;
    std::uint32_t crc32 = 0;
    std::string sha256;       // 64 hex digits; empty for folder entries
    bool folder = false;
    bool from_copy = false;   // read from a copy of a file another program held
    // Set when the entry went through a filter (redaction): values replaced per
    // kind, in the filter's own order, and the text encoding it found.
    bool filtered = false;
    std::vector<std::uint64_t> replaced;
    std::string encoding;
};

enum class SkipReason {
    locked,           // held by another program; neither opening nor copying it worked
    vanished,         // gone between listing and packing
    read_error,       // reading failed twice, after bytes_read bytes the second time
    shrank,           // ended before its size at opening, twice
    path_too_long,    // the path is longer than the system accepts
    refused_by_guard, // inside or behind a folder the folder guard refuses
    not_text,         // redaction was asked for and the content is not text
};

struct SkippedFile
{
    std::wstring source_path;
    std::wstring name;          // the entry name it would have had
    SkipReason reason = SkipReason::locked;
    std::uint64_t bytes_read = 0; // read_error and shrank: bytes read in the last attempt
};

// The reason in the log's English: "locked", "read error after 4096 bytes", ...
std::wstring skip_reason_text(const SkippedFile& skipped);
// The reason as the report's Korean line says it.
std::wstring skip_reason_korean(const SkippedFile& skipped);

} // namespace vantu::zip
