// Redacting an archive this program saved earlier without redaction: every
// entry and every inner log archive read back (bounded), redacted as a redacted
// save would have redacted it, and packed into a new archive with a new
// manifest. No check runs.
#pragma once

#include "diag/archive/archive_redaction.h"
#include "diag/redact/name_match.h"

#include <string>

struct RedactArchiveResult
{
    bool ok = false;
    std::wstring error; // one line when !ok
    RedactionTotals totals;
    int not_packed = 0; // entries left out (not text)
};

// `names`: looked for beside the names in the archive's own report and
// systeminfo and this PC's. The scratch files go into a folder beside `out`,
// removed at the end.
RedactArchiveResult redact_archive(const std::wstring& in, const std::wstring& out,
                                   const vantu::redact::RedactNames& names = {});

// Largest manifest.json and report.html read into memory.
inline constexpr std::uint64_t kMaxPageBytes = 64ull * 1024 * 1024;
