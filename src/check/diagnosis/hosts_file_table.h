// The system's hosts file as the resolver reads it: "address name [name ...]"
// per line, "#" starts a comment, blanks or tabs between fields, names compared
// without regard to case, the first line that names a host wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "check/diagnosis/item_diagnosis.h"

// Read no more than this; a larger file is read up to here and marked truncated.
inline constexpr std::uint64_t kHostsFileReadLimit = 4ull * 1024 * 1024;

class HostsFileTable
{
public:
    HostsFileState state() const { return m_state; }
    std::size_t entry_count() const { return m_names.size(); }

    // Parses the file's text (already decoded).
    static HostsFileTable parse(std::wstring_view text, HostsFileState state = HostsFileState::read);
    // Decodes the file's bytes (UTF-8 or ANSI, UTF-16 with or without a mark)
    // and parses them; bytes with zeros that are not UTF-16 are binary.
    static HostsFileTable from_bytes(std::string_view bytes, bool truncated);
    // Reads the file at `path`, at most kHostsFileReadLimit bytes of it.
    static HostsFileTable read(const std::wstring& path);
    static HostsFileTable with_state(HostsFileState state);

    HostsFileMatch find(std::wstring_view host) const;

private:
    struct Entry
    {
        std::string address;
        int line = 0;
    };
    HostsFileState m_state = HostsFileState::not_read;
    std::unordered_map<std::string, Entry> m_names; // lower-case ASCII name
};

// A host name in the lower-case ASCII form the table keys on; empty when the
// name has characters no hosts-file name can have.
std::string hosts_key(std::wstring_view host);
