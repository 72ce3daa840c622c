// This PC's names in the file's encoding.
#include "diag/redact/name_match.h"

#include "diag/redact/code_page.h"

#include <algorithm>

namespace vantu::redact {
namespace {

// Account and group words every Windows or Unix machine has; they name no one.
constexpr std::string_view kCommonWords[] = {
    "administrator", "admin",          "user",          "guest",           "default",
    "defaultuser0",  "defaultaccount", "public",        "system",          "localsystem",
    "localservice",  "networkservice", "local service", "network service", "all users",
    "wdagutilityaccount", "root",      "owner",         "workgroup",
};

// Longest name kept: a longer one is not a name but a mistake.
constexpr std::size_t kLongestName = 128;

std::string lower_ascii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(to_lower(static_cast<std::uint8_t>(c)));
    return lower;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "\Users\", "/home/" or "\\Users\\" just before p.
bool in_profile_folder(const ScanView& t, std::size_t p)
{
    std::size_t i = p;
    for (int k = 0; k < 2 && i > 0 && (t.v[i - 1] == '\\' || t.v[i - 1] == '/'); ++k)
        --i;
    if (i == p)
        return false;
    auto word_ends_at = [&](std::string_view word) {
        if (i < word.size())
            return false;
        const std::size_t s = i - word.size();
        for (std::size_t k = 0; k < word.size(); ++k)
            if (to_lower(t.v[s + k]) != static_cast<std::uint8_t>(word[k]))
                return false;
        return !is_word(t.before(s));
    };
    return word_ends_at("users") || word_ends_at("home");
}

} // namespace

bool EncodedWord::at(const ScanView& t, const RawUnits& raw, std::size_t p) const
{
    if (p + units.size() > t.n)
        return false;
    for (std::size_t k = 0; k < units.size(); ++k) {
        const std::uint8_t seen = t.v[p + k];
        if (ascii[k]) {
            if (seen >= 0x80 || to_lower(seen) != to_lower(static_cast<std::uint8_t>(units[k])))
                return false;
        } else if (seen < 0x80 || raw.unit(p + k) != units[k]) {
            return false;
        }
    }
    return true;
}

EncodedWord encode_word(std::string_view utf8, TextEncoding encoding, unsigned code_page)
{
    EncodedWord word;
    const bool all_ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; });
    if (encoding == TextEncoding::utf16le || encoding == TextEncoding::utf16be) {
        for (char16_t u : utf8_to_utf16(utf8)) {
            word.units.push_back(u);
            word.ascii.push_back(u < 0x80);
        }
        return word;
    }
    std::string bytes(utf8);
    if (encoding == TextEncoding::ansi && !all_ascii) {
        auto converted = utf8_to_code_page(utf8, code_page);
        if (!converted)
            return word; // no form in this code page: cannot occur in the file
        bytes = std::move(*converted);
    }
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const auto b = static_cast<unsigned char>(bytes[k]);
        word.units.push_back(b);
        word.ascii.push_back(b < 0x80);
        if (encoding == TextEncoding::ansi && is_lead_byte(code_page, b) && k + 1 < bytes.size()) {
            word.units.push_back(static_cast<unsigned char>(bytes[++k]));
            word.ascii.push_back(false);
        }
    }
    return word;
}

bool is_common_account_word(std::string_view lower_name)
{
    return std::find(std::begin(kCommonWords), std::end(kCommonWords), lower_name) != std::end(kCommonWords);
}

void NameMatcher::prepare(const RedactNames& names, TextEncoding encoding, unsigned code_page)
{
    m_names.clear();
    m_first.fill(false);
    m_first_pair.assign(65536, false);
    const bool wide = encoding == TextEncoding::utf16le || encoding == TextEncoding::utf16be;
    const bool double_byte = encoding == TextEncoding::ansi && is_lead_byte(code_page, 0x81);
    auto add = [&](const std::string& given, RedactKind kind) {
        const std::string_view name = trimmed(given);
        std::string key = lower_ascii(name);
        if (name.empty() || std::any_of(m_names.begin(), m_names.end(), [&](const Name& n) { return n.key == key; }))
            return;
        EncodedWord word = encode_word(name, encoding, code_page);
        if (word.empty() || word.units.size() > kLongestName)
            return;
        const std::uint16_t first = word.units[0];
        if (word.ascii[0]) {
            const std::size_t row = static_cast<std::size_t>(to_lower(static_cast<std::uint8_t>(first))) << 8;
            if (word.units.size() == 1 || !word.ascii[1]) {
                for (std::size_t second = 0; second < 256; ++second)
                    m_first_pair[row | second] = true;
            } else {
                m_first_pair[row | to_lower(static_cast<std::uint8_t>(word.units[1]))] = true;
            }
            m_first[first] = true;
            m_first[first >= 'a' && first <= 'z' ? first - 32 : to_lower(static_cast<std::uint8_t>(first))] = true;
        } else {
            m_first[wide || double_byte ? kNonAsciiStart : first & 0xff] = true;
        }
        const bool common = is_common_account_word(key);
        m_names.push_back(Name{std::move(word), std::move(key), kind, common});
    };
    for (const std::string& n : names.users)
        add(n, RedactKind::user);
    for (const std::string& n : names.hosts)
        add(n, RedactKind::host);
    std::stable_sort(m_names.begin(), m_names.end(),
                     [](const Name& a, const Name& b) { return a.word.units.size() > b.word.units.size(); });
}

bool NameMatcher::match(const ScanView& t, const RawUnits& raw, std::size_t p, Hit& hit) const
{
    for (const Name& name : m_names) {
        if (!name.word.at(t, raw, p))
            continue;
        const std::size_t end = p + name.word.units.size();
        // A name that ends in a letter or digit must end the word.
        if (name.word.ascii.back() && is_word(static_cast<std::uint8_t>(name.word.units.back())) &&
            is_word(t.at(end)))
            continue;
        if (name.common && !in_profile_folder(t, p))
            continue;
        hit = Hit{name.kind, &name.key, end};
        return true;
    }
    return false;
}

} // namespace vantu::redact
