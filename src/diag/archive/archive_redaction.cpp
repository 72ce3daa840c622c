#include "diag/archive/archive_redaction.h"

#include "common/file_utils.h"
#include "common/text_convert.h"
#include "diag/archive/base64.h"
#include "diag/archive/zip_platform.h"
#include "diag/redact/redactor.h"
#include "diag/redact/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cwctype>
#include <optional>

namespace {

using vantu::redact::PseudonymTable;
using vantu::redact::RedactNames;
using vantu::redact::Redactor;
using vantu::redact::RedactOptions;
using vantu::redact::TextEncoding;

void describe_with(const Redactor& redactor, unsigned code_page, vantu::zip::ArchiveEntryRecord& record)
{
    record.filtered = true;
    record.replaced.assign(redactor.counts().by_kind.begin(), redactor.counts().by_kind.end());
    record.encoding = encoding_label(static_cast<int>(redactor.encoding()), code_page);
}

// A file taken as text by its first kDetectionBytes: refused when they are not
// text, otherwise redacted in the encoding they show.
class TextFilter : public vantu::zip::EntryFilter
{
public:
    TextFilter(PseudonymTable& table, const RedactNames& names, unsigned code_page)
        : m_table(table), m_names(names), m_code_page(code_page)
    {
    }

    bool feed(std::string_view in, std::string& out) override
    {
        if (m_redactor) {
            m_redactor->feed(in, out);
            return true;
        }
        const std::size_t take = std::min(in.size(), vantu::redact::kDetectionBytes - m_head.size());
        m_head.append(in.substr(0, take));
        if (m_head.size() < vantu::redact::kDetectionBytes)
            return true;
        if (!start(out))
            return false;
        m_redactor->feed(in.substr(take), out);
        return true;
    }

    bool finish(std::string& out) override
    {
        if (!m_redactor && !start(out))
            return false;
        m_redactor->finish(out);
        return true;
    }

    void describe(vantu::zip::ArchiveEntryRecord& record) const override
    {
        if (m_redactor)
            describe_with(*m_redactor, m_code_page, record);
    }

private:
    bool start(std::string& out)
    {
        const vantu::redact::DetectedEncoding found = vantu::redact::detect_encoding(m_head);
        if (!vantu::redact::looks_like_text(m_head.substr(found.bom_bytes), found.encoding))
            return false;
        RedactOptions options;
        options.encoding = found.encoding;
        options.ansi_code_page = m_code_page;
        m_redactor.emplace(m_table, m_names, options);
        m_redactor->feed(m_head, out);
        m_head.clear();
        m_head.shrink_to_fit();
        return true;
    }

    PseudonymTable& m_table;
    const RedactNames m_names; // a copy: the caller's list may be a temporary
    unsigned m_code_page;
    std::string m_head;
    std::optional<Redactor> m_redactor;
};

int base64_value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// systeminfo.txt: Base64 of ANSI text and one zero byte. Decoded four
// characters at a time, redacted as ANSI, encoded again three bytes at a time.
class SysteminfoFilter : public vantu::zip::EntryFilter
{
public:
    SysteminfoFilter(PseudonymTable& table, const RedactNames& names, unsigned code_page)
        : m_code_page(code_page), m_redactor(table, names, options_for(code_page))
    {
    }

    bool feed(std::string_view in, std::string& out) override
    {
        std::string plain;
        for (const char ch : in) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == 0) {
                m_ended = true;
                continue;
            }
            if (c == '=') {
                m_padding = true;
                continue;
            }
            if (c == '\r' || c == '\n' || c == ' ')
                continue;
            const int v = base64_value(c);
            // Anything after the zero byte or the padding, or outside the
            // alphabet, is not the form this file has.
            if (v < 0 || m_ended || m_padding)
                return false;
            m_quad[m_quad_size++] = static_cast<unsigned char>(v);
            if (m_quad_size == 4) {
                const unsigned n = m_quad[0] << 18 | m_quad[1] << 12 | m_quad[2] << 6 | m_quad[3];
                plain.push_back(static_cast<char>(n >> 16));
                plain.push_back(static_cast<char>(n >> 8 & 0xFF));
                plain.push_back(static_cast<char>(n & 0xFF));
                m_quad_size = 0;
            }
        }
        redact(plain, false, out);
        return true;
    }

    bool finish(std::string& out) override
    {
        std::string plain;
        if (m_quad_size == 1)
            return false;
        if (m_quad_size >= 2) {
            const unsigned n = m_quad[0] << 18 | m_quad[1] << 12 | (m_quad_size == 3 ? m_quad[2] << 6 : 0);
            plain.push_back(static_cast<char>(n >> 16));
            if (m_quad_size == 3)
                plain.push_back(static_cast<char>(n >> 8 & 0xFF));
        }
        redact(plain, true, out);
        out.push_back('\0');
        return true;
    }

    void describe(vantu::zip::ArchiveEntryRecord& record) const override
    {
        describe_with(m_redactor, m_code_page, record);
    }

private:
    static RedactOptions options_for(unsigned code_page)
    {
        RedactOptions options;
        options.encoding = TextEncoding::ansi;
        options.ansi_code_page = code_page;
        return options;
    }

    void redact(const std::string& plain, bool last, std::string& out)
    {
        m_redactor.feed(plain, m_carry);
        if (last)
            m_redactor.finish(m_carry);
        const std::size_t whole = last ? m_carry.size() : m_carry.size() / 3 * 3;
        out += base64_encode(std::string_view(m_carry).substr(0, whole));
        m_carry.erase(0, whole);
    }

    unsigned m_code_page;
    Redactor m_redactor;
    unsigned char m_quad[4] = {};
    int m_quad_size = 0;
    bool m_padding = false;
    bool m_ended = false;
    std::string m_carry; // redacted bytes not yet a multiple of three
};

std::wstring lower(std::wstring s)
{
    for (auto& c : s)
        c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool is_shared_profile(const std::wstring& name)
{
    static const wchar_t* const kShared[] = {L"public", L"default", L"default user", L"all users", L"desktop.ini"};
    const std::wstring l = lower(name);
    return std::any_of(std::begin(kShared), std::end(kShared), [&](const wchar_t* s) { return l == s; });
}

} // namespace

ReportPageRedaction page_redaction(const RedactionTotals& totals)
{
    ReportPageRedaction r;
    r.on = true;
    for (std::size_t k = 0; k < vantu::redact::kRedactKindCount; ++k) {
        const std::uint64_t n = totals.counts.by_kind[k];
        if (n == 0)
            continue;
        const std::string_view label = vantu::redact::kind_label(static_cast<vantu::redact::RedactKind>(k));
        r.kinds.emplace_back(std::wstring(label.begin(), label.end()), n);
        r.total += n;
    }
    r.files = totals.files_changed;
    return r;
}

ManifestRedaction manifest_redaction(ArchiveRedaction& redaction)
{
    ManifestRedaction m;
    m.on = true;
    for (std::size_t k = 0; k < vantu::redact::kRedactKindCount; ++k) {
        std::string label(vantu::redact::kind_label(static_cast<vantu::redact::RedactKind>(k)));
        for (char& c : label)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        m.kinds.push_back(label);
        m.replaced.emplace_back(label, redaction.totals().counts.by_kind[k]);
    }
    m.ansi_code_page = redaction.ansi_code_page();
    m.pseudonym_limit = redaction.pseudonym_limit();
    m.table_overflowed = redaction.table().overflowed();
    m.user_names = redaction.user_names();
    m.host_names = redaction.host_names();
    m.files = static_cast<std::uint64_t>(redaction.totals().files);
    m.files_changed = static_cast<std::uint64_t>(redaction.totals().files_changed);
    return m;
}

void redact_manifest_strings(ManifestInput& m, ArchiveRedaction& redaction)
{
    auto entries = [&](std::vector<ManifestEntry>& list) {
        for (ManifestEntry& e : list) {
            e.name = redaction.redact_name(e.name);
            e.source = redaction.redact_name(e.source);
        }
    };
    entries(m.entries);
    for (ManifestInner& inner : m.inner) {
        inner.name = redaction.redact_name(inner.name);
        entries(inner.entries);
    }
    for (ManifestSkipped& s : m.not_packed) {
        s.source = redaction.redact_name(s.source);
        s.name = redaction.redact_name(s.name);
    }
    for (ManifestRefused& r : m.refused) {
        r.path = redaction.redact_name(r.path);
        r.real_path = redaction.redact_name(r.real_path);
    }
    for (ManifestCollector& c : m.collectors)
        c.command = redaction.redact_name(c.command);
    m.product_name = redaction.redact_name(m.product_name);
}

std::string encoding_label(int encoding, unsigned ansi_code_page)
{
    switch (static_cast<TextEncoding>(encoding)) {
    case TextEncoding::utf8: return "utf-8";
    case TextEncoding::utf16le: return "utf-16le";
    case TextEncoding::utf16be: return "utf-16be";
    case TextEncoding::ansi: return "ansi-" + std::to_string(ansi_code_page);
    }
    return "unknown";
}

std::unique_ptr<vantu::zip::EntryFilter> make_text_filter(PseudonymTable& table, const RedactNames& names,
                                                          unsigned ansi_code_page)
{
    return std::make_unique<TextFilter>(table, names, ansi_code_page);
}

std::unique_ptr<vantu::zip::EntryFilter> make_systeminfo_filter(PseudonymTable& table, const RedactNames& names,
                                                                unsigned ansi_code_page)
{
    return std::make_unique<SysteminfoFilter>(table, names, ansi_code_page);
}

ArchiveRedaction::ArchiveRedaction(RedactNames names, unsigned ansi_code_page, std::size_t pseudonym_limit)
    : m_names(merged_names(names, {})), m_code_page(ansi_code_page), m_limit(pseudonym_limit),
      m_table(pseudonym_limit)
{
}

vantu::zip::EntryFilterMaker ArchiveRedaction::filter_maker(std::function<bool(const std::wstring&)> as_is)
{
    return [this, as_is](const std::wstring&, const std::wstring& source) -> std::unique_ptr<vantu::zip::EntryFilter> {
        if (as_is && as_is(source))
            return nullptr;
        return make_text_filter(m_table, m_names, m_code_page);
    };
}

vantu::zip::EntryNamer ArchiveRedaction::namer()
{
    return [this](const std::wstring& name) { return redact_name(name); };
}

std::wstring ArchiveRedaction::redact_name(const std::wstring& name)
{
    RedactOptions options;
    options.encoding = TextEncoding::utf8;
    options.ansi_code_page = m_code_page;
    const std::string utf8 = to_utf8(name);
    const std::string redacted = vantu::redact::redact_text(utf8, m_table, m_names, options);
    return redacted == utf8 ? name : from_utf8(redacted);
}

FileRedaction ArchiveRedaction::redact_file(const std::wstring& from, const std::wstring& to, bool systeminfo_form)
{
    FileRedaction result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        vantu::zip::OpenFailure failure = vantu::zip::OpenFailure::none;
        std::unique_ptr<vantu::zip::SourceFile> source = vantu::zip::open_source(from, &failure);
        if (!source) {
            result.reason = failure == vantu::zip::OpenFailure::not_found ? vantu::zip::SkipReason::vanished
                                                                         : vantu::zip::SkipReason::locked;
            return result;
        }
        std::unique_ptr<vantu::zip::EntryFilter> filter =
            systeminfo_form ? make_systeminfo_filter(m_table, m_names, m_code_page)
                            : make_text_filter(m_table, m_names, m_code_page);
        FILE* out = open_file_stream(to, L"wb");
        if (!out) {
            result.reason = vantu::zip::SkipReason::read_error;
            return result;
        }
        // Read up to the size at opening, as the writer does: a file that grows
        // meanwhile is taken as it was, one that shrinks is read again.
        const std::uint64_t limit = source->stamp.size;
        std::uint64_t total = 0;
        std::vector<unsigned char> block(256 * 1024);
        std::string produced;
        bool good = true;
        result.reason = vantu::zip::SkipReason::read_error;
        while (good) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), limit - total));
            std::size_t got = 0;
            if (want > 0 && !source->read(block.data(), want, got)) {
                good = false;
                break;
            }
            if (want > 0 && got == 0) {
                result.reason = vantu::zip::SkipReason::shrank;
                good = false;
                break;
            }
            total += got;
            produced.clear();
            if (!filter->feed(std::string_view(reinterpret_cast<const char*>(block.data()), got), produced) ||
                (total >= limit && !filter->finish(produced))) {
                result.reason = vantu::zip::SkipReason::not_text;
                good = false;
                break;
            }
            if (!produced.empty() && std::fwrite(produced.data(), 1, produced.size(), out) != produced.size()) {
                good = false;
                break;
            }
            if (total >= limit)
                break;
        }
        good = std::fclose(out) == 0 && good;
        result.bytes_read = total;
        if (good) {
            result.ok = true;
            filter->describe(result.described);
            count(result.described);
            return result;
        }
        vantu::zip::delete_file(to);
        if (result.reason == vantu::zip::SkipReason::not_text)
            return result;
    }
    return result;
}

void ArchiveRedaction::count(const vantu::zip::ArchiveEntryRecord& record)
{
    if (!record.filtered)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::uint64_t sum = 0;
    for (std::size_t k = 0; k < record.replaced.size() && k < vantu::redact::kRedactKindCount; ++k) {
        m_totals.counts.by_kind[k] += record.replaced[k];
        sum += record.replaced[k];
    }
    ++m_totals.files;
    if (sum > 0)
        ++m_totals.files_changed;
}

namespace {

void add_name(std::vector<std::string>& to, const std::wstring& name)
{
    std::wstring trimmed = name;
    while (!trimmed.empty() && std::iswspace(trimmed.back()))
        trimmed.pop_back();
    while (!trimmed.empty() && std::iswspace(trimmed.front()))
        trimmed.erase(0, 1);
    if (trimmed.size() < 2 || is_shared_profile(trimmed))
        return;
    const std::string utf8 = to_utf8(trimmed);
    const std::wstring key = lower(trimmed);
    for (const std::string& have : to)
        if (lower(from_utf8(have)) == key)
            return;
    to.push_back(utf8);
}

// The value after "Label:" on a line that starts with one of the labels.
void field_values(const std::wstring& text, std::initializer_list<const wchar_t*> labels,
                  std::vector<std::wstring>& values)
{
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(at, end - at);
        at = end + 1;
        for (const wchar_t* label : labels) {
            const std::wstring l(label);
            if (line.compare(0, l.size(), l) != 0)
                continue;
            std::wstring value = line.substr(l.size());
            while (!value.empty() && (std::iswspace(value.front()) || value.front() == L':'))
                value.erase(0, 1);
            while (!value.empty() && std::iswspace(value.back()))
                value.pop_back();
            if (!value.empty())
                values.push_back(value);
        }
    }
}

} // namespace

RedactNames names_in_texts(const std::vector<std::wstring>& texts)
{
    RedactNames names;
    for (const std::wstring& text : texts) {
        // The folder after "\Users\" in every path.
        const std::wstring l = lower(text);
        for (std::size_t at = l.find(L"\\users\\"); at != std::wstring::npos; at = l.find(L"\\users\\", at + 1)) {
            const std::size_t from = at + 7;
            std::size_t end = from;
            while (end < text.size() && text[end] != L'\\' && text[end] != L'/' && text[end] != L'"' &&
                   text[end] != L'\r' && text[end] != L'\n' && text[end] != L'<' && text[end] != L'\'')
                ++end;
            if (end > from && end - from <= 64)
                add_name(names.users, text.substr(from, end - from));
        }
        std::vector<std::wstring> hosts, owners;
        field_values(text, {L"Host Name:", L"호스트 이름:", L"Domain:", L"도메인:"}, hosts);
        field_values(text, {L"Registered Owner:", L"등록된 소유자:"}, owners);
        for (const std::wstring& h : hosts)
            if (lower(h) != L"workgroup")
                add_name(names.hosts, h);
        for (const std::wstring& o : owners)
            add_name(names.users, o);
    }
    return names;
}

RedactNames merged_names(const RedactNames& a, const RedactNames& b)
{
    RedactNames out;
    for (const RedactNames* list : {&a, &b}) {
        for (const std::string& u : list->users)
            add_name(out.users, from_utf8(u));
        for (const std::string& h : list->hosts)
            add_name(out.hosts, from_utf8(h));
    }
    return out;
}
