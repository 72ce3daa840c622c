// manifest.json: what the archive holds and proves (each entry's size, CRC-32
// and SHA-256), where each came from, what was found but not packed and why,
// and how each diagnostic command ran.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ManifestEntry
{
    std::wstring name;   // the entry name as stored ("/" between folders)
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
    std::string sha256;  // 64 lower-case hex digits; empty for a folder
    std::wstring source; // the file it was read from (masked when it is a server address)
    bool folder = false;
    bool from_copy = false; // read from a copy of a file another program held
    // Redacted archives only: values replaced per kind ("ip": 2, ...) and the
    // encoding the text was read in. Never anything of the original values.
    bool redacted = false;
    std::vector<std::pair<std::string, std::uint64_t>> replaced;
    std::string encoding;
};

struct ManifestSkipped
{
    std::wstring source;
    std::wstring name;
    std::wstring reason; // "locked", "read error after 4096 bytes", ...
};

struct ManifestInner
{
    std::wstring name; // the inner archive's entry name in the final archive
    std::vector<ManifestEntry> entries;
};

struct ManifestRefused
{
    std::wstring path;
    std::wstring real_path;
    std::wstring reason;
};

struct ManifestCollector
{
    std::wstring command;
    std::uint32_t duration_ms = 0;
    std::int64_t exit_code = -1;
    bool started = false;
    bool timed_out = false;
};

// The redactor's settings as the manifest records them.
struct ManifestRedaction
{
    bool on = false;
    std::vector<std::string> kinds;      // what it looks for: "ip", "mac", ...
    unsigned ansi_code_page = 0;
    std::uint64_t pseudonym_limit = 0;
    bool table_overflowed = false;
    std::uint64_t user_names = 0;        // how many names it looked for, never the names
    std::uint64_t host_names = 0;
    std::uint64_t files = 0;             // text files redacted
    std::uint64_t files_changed = 0;
    std::vector<std::pair<std::string, std::uint64_t>> replaced; // over every file
    std::wstring after_the_fact_of;      // the archive redacted afterwards, by file name; empty at a save
};

struct ManifestInput
{
    std::wstring product_name;
    std::wstring tool_version;
    std::wstring run_started; // "2026-12-09T10:05:03", local time
    std::wstring run_ended;
    std::wstring saved;
    std::vector<ManifestEntry> entries; // every entry of the final archive but the manifest itself
    std::vector<ManifestInner> inner;
    std::vector<ManifestSkipped> not_packed;
    std::vector<ManifestRefused> refused;
    std::vector<ManifestCollector> collectors;
    ManifestRedaction redaction;
};

// Counts for a summary: entries (final and inner), files not packed, folders refused.
struct ManifestSummary
{
    int entries = 0;
    int inner_entries = 0;
    int not_packed = 0;
    int refused = 0;
};
ManifestSummary manifest_summary(const ManifestInput& input);

// The manifest as UTF-8 JSON.
std::string manifest_json(const ManifestInput& input);

// "0a1b2c3d": a CRC-32 as eight lower-case hex digits.
std::string crc32_hex(std::uint32_t crc);
