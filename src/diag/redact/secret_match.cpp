// Key/value credentials and URL user information.
#include "diag/redact/secret_match.h"

#include <string_view>

namespace vantu::redact {
namespace {

constexpr std::string_view kKeys[] = {"password", "passwd", "pwd",        "pass", "token",
                                      "secret",   "apikey", "api_key", "access_key", "auth"};

bool is_identifier(std::uint8_t c)
{
    return is_word(c) || c == '.' || c == '-';
}

bool is_upper(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }

// The identifier [p, e) ends in a key: the whole of it, after "_", "-" or ".",
// or as the capitalised last word of a camel-case name (userPassword).
bool ends_in_key(const ScanView& t, std::size_t p, std::size_t e)
{
    const std::uint8_t last = to_lower(t.v[e - 1]);
    if (last != 'd' && last != 's' && last != 'n' && last != 't' && last != 'y' && last != 'h')
        return false;
    for (std::string_view key : kKeys) {
        if (e - p < key.size())
            continue;
        const std::size_t s = e - key.size();
        bool same = true;
        for (std::size_t k = 0; k < key.size() && same; ++k)
            same = to_lower(t.v[s + k]) == static_cast<std::uint8_t>(key[k]);
        if (!same)
            continue;
        if (s == p)
            return true;
        const std::uint8_t before = t.v[s - 1];
        if (before == '_' || before == '-' || before == '.')
            return true;
        if (is_upper(t.v[s]) && !is_upper(before) && is_word(before))
            return true;
    }
    return false;
}

// A switch's value ("FilterAdministratorToken : 0", "auth=none") says how a
// setting stands, not what a credential is; hiding it only loses the setting.
bool is_switch_value(const ScanView& t, std::size_t begin, std::size_t end)
{
    static constexpr std::string_view kWords[] = {"true", "false", "yes", "no",   "on",
                                                  "off",  "none",  "null", "enabled", "disabled"};
    if (end - begin == 1)
        return is_digit(t.v[begin]);
    for (std::string_view word : kWords) {
        if (word.size() != end - begin)
            continue;
        bool same = true;
        for (std::size_t k = 0; k < word.size() && same; ++k)
            same = to_lower(t.v[begin + k]) == static_cast<std::uint8_t>(word[k]);
        if (same)
            return true;
    }
    return false;
}

std::size_t skip_blanks(const ScanView& t, std::size_t i)
{
    for (int k = 0; k < 8 && (t.at(i) == ' ' || t.at(i) == '\t'); ++k)
        ++i;
    return i;
}

} // namespace

bool ends_secret_value(std::uint8_t c, std::uint8_t quote)
{
    if (c == '\r' || c == '\n' || c == 0)
        return true;
    if (quote != 0)
        return c == quote;
    switch (c) {
    case ' ': case '\t': case ',': case ';': case '&': case '"': case '\'':
    case '<': case '>': case ')': case '}': case ']':
        return true;
    default:
        return false;
    }
}

bool match_key_value(const ScanView& t, std::size_t p, SecretFound& s)
{
    std::size_t e = p;
    while (e - p < 64 && is_identifier(t.at(e)))
        ++e;
    while (e > p && (t.v[e - 1] == '.' || t.v[e - 1] == '-'))
        --e;
    if (e == p || is_identifier(t.at(e)) || !ends_in_key(t, p, e))
        return false;
    std::size_t i = e;
    const std::uint8_t open = t.before(p);
    if ((open == '"' || open == '\'') && t.at(i) == open)
        ++i;
    i = skip_blanks(t, i);
    const std::uint8_t sep = t.at(i);
    // "Token::parse" and "password == x" are code, not settings.
    if ((sep != '=' && sep != ':') || t.at(i + 1) == sep)
        return false;
    i = skip_blanks(t, i + 1);
    std::uint8_t quote = t.at(i);
    if (quote == '"' || quote == '\'')
        ++i;
    else
        quote = 0;
    const std::size_t begin = i;
    bool masked = true;
    while (i - begin < kSecretCap && !ends_secret_value(t.at(i), quote)) {
        if (quote != 0 && t.v[i] == '\\' && t.at(i + 1) == quote && i + 1 - begin < kSecretCap)
            ++i;
        masked = masked && t.v[i] == '*';
        ++i;
    }
    if (i == begin)
        return false;
    s = SecretFound{};
    s.begin = begin;
    s.end = i;
    s.resume = i;
    s.keep = masked || is_switch_value(t, begin, i);
    s.capped = i - begin == kSecretCap && !ends_secret_value(t.at(i), quote);
    s.quote = quote;
    return true;
}

bool match_url_credentials(const ScanView& t, std::size_t p, SecretFound& s)
{
    std::size_t j = p;
    while (j - p < 32 && (is_word(t.at(j)) || t.at(j) == '+' || t.at(j) == '.' || t.at(j) == '-'))
        ++j;
    if (t.at(j) != ':' || t.at(j + 1) != '/' || t.at(j + 2) != '/')
        return false;
    const std::size_t a = j + 3;
    std::size_t at = 0;
    std::size_t colon = 0;
    for (std::size_t k = a; k - a < kSecretCap; ++k) {
        const std::uint8_t c = t.at(k);
        if (c == '/' || c == '?' || c == '#' || c == '\\' || c == '<' || c == '>' || c == '"' || c == '\'' ||
            c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0)
            break;
        if (c == '@')
            at = k;
        else if (c == ':' && colon == 0 && at == 0)
            colon = k;
    }
    if (at == 0 || at == a)
        return false;
    s = SecretFound{};
    s.begin = a;
    s.end = colon != 0 && colon < at ? colon : at;
    if (colon != 0 && colon < at && colon + 1 < at) {
        s.second_begin = colon + 1;
        s.second_end = at;
    }
    s.resume = at;
    if (s.end == s.begin) { // ":password@" with no user
        s.begin = s.second_begin;
        s.end = s.second_end;
        s.second_begin = s.second_end = 0;
    }
    return s.end > s.begin;
}

} // namespace vantu::redact
