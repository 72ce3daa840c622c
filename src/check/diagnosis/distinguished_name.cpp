#include "check/diagnosis/distinguished_name.h"

#include "checklist/mask_host.h"

#include <cwctype>

namespace {

std::wstring upper(std::wstring_view text)
{
    std::wstring out;
    for (wchar_t c : text)
        out += static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return out;
}

std::wstring trimmed(std::wstring_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == L' ' || text[b] == L'\t'))
        ++b;
    while (e > b && (text[e - 1] == L' ' || text[e - 1] == L'\t'))
        --e;
    return std::wstring(text.substr(b, e - b));
}

// A value that names a host or an address rather than a person or a company:
// one word with a dot or a colon in it.
bool looks_like_host(const std::wstring& value)
{
    if (value.empty() || value.find(L' ') != std::wstring::npos)
        return false;
    return value.find(L'.') != std::wstring::npos || value.find(L':') != std::wstring::npos;
}

std::wstring masked_value(const NameAttribute& a)
{
    if (a.key == L"DC")
        return mask_host(a.value);
    if (a.key == L"E" || a.key == L"EMAIL" || a.key == L"EMAILADDRESS") {
        const std::size_t at = a.value.find(L'@');
        return at == std::wstring::npos ? mask_host(a.value) : L"***@" + mask_host(a.value.substr(at + 1));
    }
    if (looks_like_host(a.value))
        return mask_host(a.value);
    return a.value;
}

std::wstring quoted_if_needed(const std::wstring& value)
{
    if (value.find_first_of(L",;+\"=") == std::wstring::npos)
        return value;
    std::wstring out = L"\"";
    for (wchar_t c : value) {
        if (c == L'"')
            out += L'"';
        out += c;
    }
    return out + L"\"";
}

} // namespace

std::vector<NameAttribute> split_distinguished_name(std::wstring_view name)
{
    std::vector<NameAttribute> out;
    std::size_t i = 0;
    while (i < name.size()) {
        // The key, up to "=".
        const std::size_t eq = name.find(L'=', i);
        if (eq == std::wstring_view::npos)
            break;
        NameAttribute a;
        a.key = upper(trimmed(name.substr(i, eq - i)));
        i = eq + 1;
        while (i < name.size() && name[i] == L' ')
            ++i;
        // The value: quoted ("" is a quote inside), or up to the next separator.
        if (i < name.size() && name[i] == L'"') {
            ++i;
            while (i < name.size()) {
                if (name[i] == L'"') {
                    if (i + 1 < name.size() && name[i + 1] == L'"') {
                        a.value += L'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                a.value += name[i++];
            }
            while (i < name.size() && name[i] != L',' && name[i] != L';' && name[i] != L'+')
                ++i;
        } else {
            std::wstring raw;
            while (i < name.size() && name[i] != L',' && name[i] != L';' && name[i] != L'+') {
                if (name[i] == L'\\' && i + 1 < name.size())
                    ++i;
                raw += name[i++];
            }
            a.value = trimmed(raw);
        }
        out.push_back(std::move(a));
        if (i < name.size())
            ++i; // the separator
    }
    return out;
}

std::wstring identity_fields(std::wstring_view name)
{
    std::wstring out;
    for (const NameAttribute& a : split_distinguished_name(name))
        if (a.key == L"CN" || a.key == L"O" || a.key == L"OU")
            out += a.value + L"\n";
    return out;
}

std::wstring masked_distinguished_name(std::wstring_view name)
{
    const std::vector<NameAttribute> attributes = split_distinguished_name(name);
    // Not a name of attributes at all: as one value.
    if (attributes.empty())
        return looks_like_host(std::wstring(name)) ? mask_host(name) : std::wstring(name);
    std::wstring out;
    for (const NameAttribute& a : attributes) {
        if (!out.empty())
            out += L", ";
        out += a.key + L"=" + quoted_if_needed(masked_value(a));
    }
    return out;
}

std::wstring masked_config_url(std::wstring_view url)
{
    if (url.empty())
        return std::wstring();
    const std::size_t last_slash = url.find_last_of(L"/\\");
    std::wstring file(last_slash == std::wstring_view::npos ? url : url.substr(last_slash + 1));
    const std::size_t query = file.find_first_of(L"?#");
    if (query != std::wstring::npos)
        file.erase(query);
    const std::wstring scheme = upper(url.substr(0, url.find(L':') == std::wstring_view::npos ? 0 : url.find(L':')));
    if (scheme == L"FILE" || url.find(L"://") == std::wstring_view::npos)
        return file;
    const std::size_t host_start = url.find(L"://") + 3;
    const std::size_t host_end = url.find_first_of(L"/?#", host_start);
    std::wstring authority(url.substr(host_start, host_end == std::wstring_view::npos ? std::wstring_view::npos
                                                                                       : host_end - host_start));
    // Credentials in the URL are nobody's business; a port stays.
    const std::size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos)
        authority.erase(0, at + 1);
    std::wstring port;
    const std::size_t colon = authority.rfind(L':');
    if (colon != std::wstring::npos && authority.find(L']') == std::wstring::npos) {
        port = authority.substr(colon);
        authority.erase(colon);
    }
    std::wstring out = std::wstring(url.substr(0, host_start)) + mask_host(authority) + port;
    if (host_end != std::wstring_view::npos && last_slash != std::wstring_view::npos && last_slash >= host_start) {
        const bool deeper = url.find(L'/', host_end + 1) < last_slash;
        out += deeper ? L"/…/" : L"/";
        out += file;
    }
    return out;
}
