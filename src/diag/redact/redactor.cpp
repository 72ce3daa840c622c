// The stream: blocks in, code units classified into the scan view, one pass of
// cheap triggers (a word's first character, "+", ":") with the matchers behind
// them, redacted bytes out in the input's encoding.
#include "diag/redact/redactor.h"

#include "diag/redact/secret_match.h"
#include "diag/redact/value_match.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vantu::redact {
namespace {

// Input taken in at a time, so that one huge block never sits in the buffer whole.
constexpr std::size_t kSliceBytes = 64 * 1024;

static_assert(kMatchReach + kMatchLookBehind + 2 <= kHeldUnits);

} // namespace

Redactor::Redactor(PseudonymTable& table, const RedactNames& names, const RedactOptions& options)
    : m_table(table), m_names(names), m_options(options)
{
    if (m_options.encoding) {
        decide_encoding({});
    }
}

void Redactor::decide_encoding(std::string_view head)
{
    m_decided = true;
    m_encoding = m_options.encoding ? *m_options.encoding : detect_encoding(head).encoding;
    const bool wide = m_encoding == TextEncoding::utf16le || m_encoding == TextEncoding::utf16be;
    m_width = wide ? 2 : 1;
    m_big_endian = m_encoding == TextEncoding::utf16be;
    m_double_byte = m_encoding == TextEncoding::ansi && is_lead_byte(m_options.ansi_code_page, 0x81);
    m_matcher.prepare(m_names, m_encoding, m_options.ansi_code_page);
    m_version_word = encode_word("\xEB\xB2\x84\xEC\xA0\x84", m_encoding, m_options.ansi_code_page); // 버전
}

void Redactor::feed(std::string_view bytes, std::string& out)
{
    while (!bytes.empty()) {
        const std::size_t room = m_decided ? kSliceBytes : kDetectionBytes - m_pending.size();
        const std::size_t take = std::min(room, bytes.size());
        m_pending.append(bytes.data(), take);
        bytes.remove_prefix(take);
        if (!m_decided) {
            if (m_pending.size() < kDetectionBytes)
                return;
            decide_encoding(m_pending);
        }
        process(false, out);
    }
}

void Redactor::finish(std::string& out)
{
    if (!m_decided)
        decide_encoding(m_pending);
    process(true, out);
}

std::size_t Redactor::complete_units()
{
    if (m_width == 2)
        return m_pending.size() / 2;
    if (!m_double_byte)
        return m_pending.size();
    // A lead byte whose trail has not come yet waits for it.
    const auto* b = reinterpret_cast<const unsigned char*>(m_pending.data());
    std::size_t i = 0;
    const std::size_t n = m_pending.size();
    while (i < n) {
        if (is_lead_byte(m_options.ansi_code_page, b[i])) {
            if (i + 1 == n)
                return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return n;
}

void Redactor::build_view(std::size_t units)
{
    const auto* b = reinterpret_cast<const unsigned char*>(m_pending.data());
    m_raw = RawUnits{b, m_width, m_big_endian};
    if (m_width == 1 && !m_double_byte) {
        // UTF-8 and single-byte code pages: the bytes are the view.
        m_scan = ScanView{b, units};
        return;
    }
    m_view.resize(units);
    if (m_width == 2) {
        for (std::size_t i = 0; i < units; ++i) {
            const std::uint16_t u = m_raw.unit(i);
            m_view[i] = u < 0x80 ? static_cast<std::uint8_t>(u)
                                 : (u >= 0xDC00 && u <= 0xDFFF ? kNonAsciiMore : kNonAsciiStart);
        }
    } else {
        for (std::size_t i = 0; i < units; ++i) {
            if (b[i] < 0x80) {
                m_view[i] = b[i];
            } else {
                m_view[i] = kNonAsciiStart;
                if (is_lead_byte(m_options.ansi_code_page, b[i]) && i + 1 < units)
                    m_view[++i] = kNonAsciiMore;
            }
        }
    }
    m_scan = ScanView{m_view.data(), units};
}

void Redactor::process(bool final, std::string& out)
{
    const std::size_t units = complete_units();
    build_view(units);
    const std::size_t limit = final ? units : (units > kMatchReach ? units - kMatchReach : 0);
    std::size_t p = m_resume;
    if (p < limit)
        p = scan(p, limit, out);
    if (final) {
        if (m_swallowing)
            p = swallow(p);
        copy_units(m_emitted, units, out);
        out.append(m_pending, units * m_width); // an odd byte, a lone lead byte
        m_pending.clear();
        m_resume = m_emitted = 0;
        return;
    }
    copy_units(m_emitted, p, out);
    // Keep what the next look back needs, from a character's first unit.
    std::size_t keep_from = p > kMatchLookBehind ? p - kMatchLookBehind : 0;
    while (m_double_byte && keep_from > 0 && m_scan.v[keep_from] == kNonAsciiMore)
        --keep_from;
    m_pending.erase(0, keep_from * m_width);
    m_resume = m_emitted = p - keep_from;
    m_local_from = m_local_end = 0;
}

void Redactor::copy_units(std::size_t from, std::size_t to, std::string& out) const
{
    if (to > from)
        out.append(m_pending, from * m_width, (to - from) * m_width);
}

void Redactor::emit_token(std::string_view token, std::string& out) const
{
    if (m_width == 1) {
        out.append(token);
        return;
    }
    for (char c : token) {
        out.push_back(m_big_endian ? '\0' : c);
        out.push_back(m_big_endian ? c : '\0');
    }
}

void Redactor::replace(std::size_t begin, std::size_t end, RedactKind kind, const std::string& key, std::string& out)
{
    copy_units(m_emitted, begin, out);
    // The same value again (a user name in every path) skips the shared table.
    auto& [last_key, last_token] = m_last[static_cast<std::size_t>(kind)];
    if (last_token.empty() || last_key != key) {
        last_token = m_table.pseudonym(kind, key);
        last_key = key;
    }
    emit_token(last_token, out);
    m_emitted = end;
    ++m_counts[kind];
}

std::string Redactor::raw_key(std::size_t begin, std::size_t end) const
{
    std::string key;
    for (std::size_t i = begin; i < end; ++i) {
        const std::uint16_t u = m_raw.unit(i);
        if (u < 0x80 && m_scan.v[i] < 0x80) {
            key.push_back(static_cast<char>(u));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%04x", u);
            key += escaped;
        }
    }
    return key;
}

bool Redactor::version_word_before(std::size_t p) const
{
    if (ascii_version_word_before(m_scan, p, nullptr))
        return true;
    const std::size_t end = skip_version_separators_back(m_scan, p);
    const std::size_t len = m_version_word.units.size();
    return len > 0 && end >= len && m_version_word.at(m_scan, m_raw, end - len);
}

std::size_t Redactor::swallow(std::size_t p)
{
    while (p < m_scan.n && !ends_secret_value(m_scan.v[p], m_swallow_quote))
        ++p;
    if (p < m_scan.n)
        m_swallowing = false;
    m_emitted = p;
    return p;
}

std::size_t Redactor::scan(std::size_t p, std::size_t limit, std::string& out)
{
    std::array<bool, 256> trigger{};
    for (int c = 0; c < 256; ++c)
        trigger[c] = is_word(static_cast<std::uint8_t>(c)) || c == '+' || c == ':' ||
                     (c >= 0x80 && m_matcher.may_start(static_cast<std::uint8_t>(c)));
    const std::uint8_t* v = m_scan.v;
    while (p < limit) {
        if (m_swallowing) {
            p = swallow(p);
            continue;
        }
        if (!trigger[v[p]]) {
            ++p;
            continue;
        }
        p = scan_at(p, out);
    }
    return p;
}

std::size_t Redactor::scan_at(std::size_t p, std::string& out)
{
    const ScanView& t = m_scan;
    const std::uint8_t c = t.v[p];
    const std::uint8_t prev = t.before(p);
    NameMatcher::Hit hit{};
    if (c >= 0x80) {
        if (m_matcher.match(t, m_raw, p, hit)) {
            replace(p, hit.end, hit.kind, *hit.key, out);
            return hit.end;
        }
        return p + 1;
    }
    Found f;
    auto take = [&](const Found& found) {
        if (!found.keep)
            replace(p, found.end, found.kind, found.key, out);
        return found.end;
    };
    if (c == '+' || c == ':') {
        if (is_word(prev))
            return p + 1;
        if (c == '+' && match_phone(t, p, f))
            return take(f);
        if (c == ':' && prev != ':' && match_ipv6(t, p, f))
            return take(f);
        return p + 1;
    }
    std::size_t word_end = p + 1;
    while (word_end < t.n && is_word(t.v[word_end]))
        ++word_end;
    if (is_word(prev))
        return word_end; // inside a word
    if (is_digit(c)) {
        const std::size_t d = t.digits(p);
        const std::uint8_t next = t.at(p + d);
        const bool blank_or_dash = next == '-' || next == ' ';
        if (d == 6 && blank_or_dash && match_rrn(t, p, f))
            return take(f);
        if (((d == 4 && blank_or_dash) || d == 15 || d == 16) && match_card(t, p, f))
            return take(f);
        if (c == '0' && (d == 2 || d == 3) && (blank_or_dash || next == '.') && match_phone(t, p, f))
            return take(f);
        if (d <= 3 && next == '.' && match_ipv4(t, p, version_word_before(p), f))
            return take(f);
    }
    const std::uint8_t after = t.at(word_end);
    // A MAC address, an IPv6 address and a GUID all start with at most eight
    // hex digits and then ":" or "-".
    if (is_hex(c) && (after == ':' || after == '-') && word_end - p <= 8) {
        std::size_t h = p;
        while (h - p < 9 && is_hex(t.at(h)))
            ++h;
        const std::uint8_t next = t.at(h);
        if (h - p == 2 && (next == ':' || next == '-') && match_mac(t, p, f))
            return take(f);
        if (h - p <= 4 && next == ':' && match_ipv6(t, p, f))
            return take(f);
        if (h - p == 8 && next == '-' && match_guid(t, p, f))
            return take(f);
    }
    // A key ends the identifier: what follows it is a separator, a quote, or
    // blanks and then a separator. Every key ends in d, s, n, t, y or h.
    bool may_be_key = after == '.' || after == '-';
    if (!may_be_key) {
        const std::uint8_t last = to_lower(t.v[word_end - 1]);
        std::size_t sep = word_end;
        while (sep - word_end < 8 && (t.at(sep) == ' ' || t.at(sep) == '\t'))
            ++sep;
        may_be_key = (last == 'd' || last == 's' || last == 'n' || last == 't' || last == 'y' || last == 'h') &&
                     (after == '"' || after == '\'' || t.at(sep) == '=' || t.at(sep) == ':');
    }
    // A URL's scheme: letters, then "://" or "+", "." or "-" (svn+ssh://).
    const bool may_be_url = after == ':' ? t.at(word_end + 1) == '/' : after == '+' || after == '.' || after == '-';
    if (!is_digit(c) && prev != '.' && prev != '-' && (may_be_key || may_be_url)) {
        SecretFound s;
        if ((may_be_url && match_url_credentials(t, p, s)) || (may_be_key && match_key_value(t, p, s))) {
            if (s.keep)
                return s.resume;
            replace(s.begin, s.end, RedactKind::secret, raw_key(s.begin, s.end), out);
            if (s.second_end > s.second_begin)
                replace(s.second_begin, s.second_end, RedactKind::secret, raw_key(s.second_begin, s.second_end),
                        out);
            if (s.capped) {
                m_swallowing = true;
                m_swallow_quote = s.quote;
            }
            return s.resume;
        }
    }
    // An e-mail address: the local part's end is the same from every point inside it.
    if (after == '@' || after == '.' || after == '-' || after == '+' || after == '%') {
        if (!(p >= m_local_from && p < m_local_end && m_local_end - m_local_from < 65)) {
            m_local_from = p;
            m_local_end = local_part_end(t, p);
        }
        if (t.at(m_local_end) == '@' && match_email(t, p, m_local_end, f))
            return take(f);
    }
    if (m_matcher.may_start(c) && m_matcher.may_start_pair(c, t.at(p + 1)) && m_matcher.match(t, m_raw, p, hit)) {
        replace(p, hit.end, hit.kind, *hit.key, out);
        return hit.end;
    }
    return word_end;
}

std::string redact_text(std::string_view bytes, PseudonymTable& table, const RedactNames& names,
                        const RedactOptions& options, RedactCounts* counts)
{
    Redactor redactor(table, names, options);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    redactor.feed(bytes, out);
    redactor.finish(out);
    if (counts)
        *counts = redactor.counts();
    return out;
}

} // namespace vantu::redact
