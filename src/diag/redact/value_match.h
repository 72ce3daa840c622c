// The matchers: each looks at one position of the scan view and either finds a
// value there (its end, kind and comparison key), finds something to keep as it
// is (a loopback address, a GUID, a version) or finds nothing. None looks more
// than kMatchReach units ahead or kMatchLookBehind units back, which is what lets
// the stream carry only a small tail from one block to the next.
#pragma once

#include "diag/redact/redact_kind.h"
#include "diag/redact/scan_view.h"

#include <cstddef>
#include <string>

namespace vantu::redact {

inline constexpr std::size_t kMatchReach = 640;
inline constexpr std::size_t kMatchLookBehind = 32;

struct Found
{
    std::size_t end = 0;
    RedactKind kind = RedactKind::ip;
    std::string key;
    bool keep = false; // recognised, not personal: copied unchanged
};

// Digits: v[p] is a digit at a word start.
bool match_rrn(const ScanView& t, std::size_t p, Found& f);
bool match_card(const ScanView& t, std::size_t p, Found& f);
// v[p] is '0' (domestic form) or '+' (+82).
bool match_phone(const ScanView& t, std::size_t p, Found& f);

// Addresses. For IPv4 the caller says whether a version word stands before it.
bool match_ipv4(const ScanView& t, std::size_t p, bool after_version_word, Found& f);
bool match_ipv6(const ScanView& t, std::size_t p, Found& f);
bool match_mac(const ScanView& t, std::size_t p, Found& f);
// The local part from p ends at local_end (a caller's cached answer).
bool match_email(const ScanView& t, std::size_t p, std::size_t local_end, Found& f);
std::size_t local_part_end(const ScanView& t, std::size_t p);
// {8-4-4-4-12} with or without braces, kept.
bool match_guid(const ScanView& t, std::size_t p, Found& f);

// A version word (ver, version, v, build, ...version) ends within the few
// separators before p. ASCII only; the caller checks words in other scripts.
bool ascii_version_word_before(const ScanView& t, std::size_t p, std::size_t* word_start_out);
// Where the separators (":", "=", " ", ".") before p begin, at most 3 of them.
std::size_t skip_version_separators_back(const ScanView& t, std::size_t p);

} // namespace vantu::redact
