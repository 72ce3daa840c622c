// The redactor: personal values in a log replaced by pseudonyms, as a stream.
//
// The caller feeds a file in blocks of any size and receives the redacted bytes
// in the file's own encoding, byte-order mark and line endings. A value that
// straddles two blocks is found all the same: the redactor keeps back a short
// tail (at most kHeldUnits code units plus an unfinished character) and never
// more, however long the lines. One PseudonymTable serves every file of an
// archive so that a value has one pseudonym everywhere.
#pragma once

#include "diag/redact/name_match.h"
#include "diag/redact/pseudonym_table.h"
#include "diag/redact/redact_kind.h"
#include "diag/redact/text_encoding.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantu::redact {

// Code units held back between blocks: the reach of the longest value plus
// the few units before it that decide how it reads.
inline constexpr std::size_t kHeldUnits = 768;

struct RedactOptions
{
    // Nothing: detected from the first kDetectionBytes of the file.
    std::optional<TextEncoding> encoding;
    // The ANSI code page of files found (or said) to be ANSI.
    unsigned ansi_code_page = 949;
};

class Redactor
{
public:
    // `table` must outlive the redactor.
    Redactor(PseudonymTable& table, const RedactNames& names, const RedactOptions& options = {});

    // Appends to `out` the redacted form of as much as can be decided.
    void feed(std::string_view bytes, std::string& out);
    // Appends the rest; the redactor is done after it.
    void finish(std::string& out);

    const RedactCounts& counts() const { return m_counts; }
    // The file's encoding; utf8 until it is known.
    TextEncoding encoding() const { return m_encoding; }
    // Input bytes held back now (for tests of the memory bound).
    std::size_t held_bytes() const { return m_pending.size(); }

private:
    void decide_encoding(std::string_view head);
    void process(bool final, std::string& out);
    std::size_t complete_units();
    void build_view(std::size_t units);
    std::size_t scan(std::size_t from, std::size_t limit, std::string& out);
    std::size_t scan_at(std::size_t p, std::string& out);
    std::size_t swallow(std::size_t p);

    void copy_units(std::size_t from, std::size_t to, std::string& out) const;
    void emit_token(std::string_view token, std::string& out) const;
    void replace(std::size_t begin, std::size_t end, RedactKind kind, const std::string& key, std::string& out);
    std::string raw_key(std::size_t begin, std::size_t end) const;
    bool version_word_before(std::size_t p) const;

    PseudonymTable& m_table;
    RedactNames m_names; // a copy: encoded only once the encoding is known
    RedactOptions m_options;
    bool m_decided = false;
    TextEncoding m_encoding = TextEncoding::utf8;
    unsigned m_width = 1;
    bool m_big_endian = false;
    bool m_double_byte = false;
    NameMatcher m_matcher;
    EncodedWord m_version_word; // "버전" in the file's encoding

    std::string m_pending;             // input not yet written out, from a character boundary
    std::vector<std::uint8_t> m_view;  // one byte per unit of m_pending (unless UTF-8)
    ScanView m_scan;
    RawUnits m_raw;
    std::size_t m_resume = 0;  // first unit of m_pending not yet decided
    std::size_t m_emitted = 0; // first unit of m_pending not yet written
    std::size_t m_local_from = 0, m_local_end = 0; // cached e-mail local part
    // Dropping the rest of a value longer than kSecretCap, up to its end.
    bool m_swallowing = false;
    std::uint8_t m_swallow_quote = 0;
    RedactCounts m_counts;
    std::array<std::pair<std::string, std::string>, kRedactKindCount> m_last; // value, pseudonym
};

// One whole text at once (tests, small files).
std::string redact_text(std::string_view bytes, PseudonymTable& table, const RedactNames& names,
                        const RedactOptions& options = {}, RedactCounts* counts = nullptr);

} // namespace vantu::redact
