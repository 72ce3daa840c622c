// Redaction of one archive: every text entry and every entry name goes through
// the redactor with one pseudonym table, so a value has the same pseudonym in
// every file and inner archive. systeminfo.txt keeps its form (Base64 of ANSI
// text and a zero byte); any other file is taken as text by its content and
// keeps its encoding, or is left out when it is not text.
#pragma once

#include "diag/archive/archive_records.h"
#include "diag/archive/zip_writer.h"
#include "diag/page/manifest.h"
#include "diag/page/report_page.h"
#include "diag/redact/name_match.h"
#include "diag/redact/pseudonym_table.h"
#include "diag/redact/redact_kind.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The entry whose bytes are Base64 of ANSI text followed by a zero byte.
inline constexpr const wchar_t* kSysteminfoName = L"systeminfo.txt";

// What the front page and the manifest say of a redacted archive.
struct RedactionTotals
{
    vantu::redact::RedactCounts counts; // values replaced, per kind, over every file
    int files_changed = 0;              // files in which something was replaced
    int files = 0;                      // text files redacted
};

// One file redacted into another before it is packed (the report, the texts,
// crash logs, the front page and the manifest, written before the archive).
struct FileRedaction
{
    bool ok = false;
    vantu::zip::SkipReason reason = vantu::zip::SkipReason::read_error; // when not ok
    std::uint64_t bytes_read = 0;
    vantu::zip::ArchiveEntryRecord described; // filtered, replaced, encoding
};

class ArchiveRedaction
{
public:
    ArchiveRedaction(vantu::redact::RedactNames names, unsigned ansi_code_page,
                     std::size_t pseudonym_limit = vantu::redact::kDefaultPseudonymLimit);

    // Filters for the writer. `as_is(source)` true: that file goes in unchanged
    // (an inner archive already redacted).
    vantu::zip::EntryFilterMaker filter_maker(std::function<bool(const std::wstring& source)> as_is = {});
    vantu::zip::EntryNamer namer();

    // A name or path with the values in it replaced.
    std::wstring redact_name(const std::wstring& name);

    // Streams `from` into `to` (bounded memory). A file that ends before its size
    // at opening is tried once more; one that is not text is refused.
    FileRedaction redact_file(const std::wstring& from, const std::wstring& to, bool systeminfo_form);

    // Adds a filtered entry's counts to the totals.
    void count(const vantu::zip::ArchiveEntryRecord& record);
    const RedactionTotals& totals() const { return m_totals; }

    unsigned ansi_code_page() const { return m_code_page; }
    std::size_t pseudonym_limit() const { return m_limit; }
    std::size_t user_names() const { return m_names.users.size(); }
    std::size_t host_names() const { return m_names.hosts.size(); }
    vantu::redact::PseudonymTable& table() { return m_table; }

private:
    vantu::redact::RedactNames m_names;
    unsigned m_code_page;
    std::size_t m_limit;
    vantu::redact::PseudonymTable m_table;
    std::mutex m_mutex;
    RedactionTotals m_totals;
};

// The front page's note and the manifest's settings of a redacted archive.
ReportPageRedaction page_redaction(const RedactionTotals& totals);
ManifestRedaction manifest_redaction(ArchiveRedaction& redaction);

// The manifest's outside strings (names, sources, reasons, commands) redacted
// one by one: the manifest itself is never passed through as a text, so its
// own keys and hashes stay as they are.
void redact_manifest_strings(ManifestInput& manifest, ArchiveRedaction& redaction);

// The filter of a file by its content / of systeminfo.txt (for tests and the
// after-the-fact path).
std::unique_ptr<vantu::zip::EntryFilter> make_text_filter(vantu::redact::PseudonymTable& table,
                                                          const vantu::redact::RedactNames& names,
                                                          unsigned ansi_code_page);
std::unique_ptr<vantu::zip::EntryFilter> make_systeminfo_filter(vantu::redact::PseudonymTable& table,
                                                                const vantu::redact::RedactNames& names,
                                                                unsigned ansi_code_page);

// "utf-8", "utf-16le", "utf-16be", "ansi-949".
std::string encoding_label(int encoding, unsigned ansi_code_page);

// The names to look for on this PC: the current user, the profile folders
// under the Users folder, the computer's NetBIOS and DNS names and its domain.
vantu::redact::RedactNames this_pc_names();

// Names an archive's own texts give: the folder after "Users\" in paths, the
// systeminfo fields for host, domain and owner (English and Korean labels).
vantu::redact::RedactNames names_in_texts(const std::vector<std::wstring>& texts);

// Both lists joined without repeats (compared without case); names of fewer
// than two characters and the shared profile folders (Public, Default, ...) dropped.
vantu::redact::RedactNames merged_names(const vantu::redact::RedactNames& a, const vantu::redact::RedactNames& b);
