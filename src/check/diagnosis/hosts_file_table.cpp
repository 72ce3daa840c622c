#include "check/diagnosis/hosts_file_table.h"

#include <cstdio>
#include <memory>

#include "common/file_utils.h"
#include "common/text_file.h"

namespace {

bool is_blank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f';
}

// An IPv4 or IPv6 address as text: digits, dots, hex digits, colons and a zone
// after "%". The resolver ignores lines whose first field is anything else.
bool looks_like_address(std::wstring_view field)
{
    if (field.empty() || field.size() > 64)
        return false;
    bool colon = false, dot = false;
    for (wchar_t c : field) {
        if (c == L'%')
            return colon;
        if (c == L':')
            colon = true;
        else if (c == L'.')
            dot = true;
        else if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F')))
            return false;
    }
    return colon || dot;
}

std::string narrow_ascii(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += static_cast<char>(c);
    return out;
}

} // namespace

std::string hosts_key(std::wstring_view host)
{
    std::string key;
    key.reserve(host.size());
    for (wchar_t c : host) {
        if (c <= L' ' || c > 0x7E || c == L'#')
            return std::string();
        key += static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    // A trailing dot names the same host.
    if (!key.empty() && key.back() == '.')
        key.pop_back();
    return key;
}

HostsFileTable HostsFileTable::with_state(HostsFileState state)
{
    HostsFileTable table;
    table.m_state = state;
    return table;
}

HostsFileTable HostsFileTable::parse(std::wstring_view text, HostsFileState state)
{
    HostsFileTable table;
    table.m_state = state;
    int line_number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(L'\n', pos);
        if (end == std::wstring_view::npos)
            end = text.size();
        ++line_number;
        std::wstring_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (const std::size_t hash = line.find(L'#'); hash != std::wstring_view::npos)
            line = line.substr(0, hash);

        // Fields separated by blanks or tabs.
        std::size_t i = 0;
        auto next_field = [&]() -> std::wstring_view {
            while (i < line.size() && is_blank(line[i]))
                ++i;
            const std::size_t start = i;
            while (i < line.size() && !is_blank(line[i]))
                ++i;
            return line.substr(start, i - start);
        };
        const std::wstring_view address = next_field();
        if (!looks_like_address(address))
            continue;
        for (std::wstring_view name = next_field(); !name.empty(); name = next_field()) {
            std::string key = hosts_key(name);
            if (!key.empty())
                table.m_names.try_emplace(std::move(key), Entry{narrow_ascii(address), line_number});
        }
        if (end == text.size())
            break;
    }
    return table;
}

HostsFileTable HostsFileTable::from_bytes(std::string_view bytes, bool truncated)
{
    const HostsFileState state = truncated ? HostsFileState::truncated : HostsFileState::read;
    int encoding = text_encoding_utf8;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        encoding = text_encoding_utf16le_bom;
    else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
             static_cast<unsigned char>(bytes[1]) == 0xFF)
        encoding = text_encoding_utf16be_bom;
    else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        encoding = text_encoding_utf8_bom;
    else if (bytes.find('\0') != std::string_view::npos)
        encoding = looks_like_utf16le(bytes) ? text_encoding_utf16le : -2;
    if (encoding == -2)
        return with_state(HostsFileState::binary);
    if (encoding == text_encoding_utf8 || encoding == text_encoding_utf8_bom) {
        // Names and addresses are ASCII; other bytes only need to stay out of
        // them, so every byte is taken as one character.
        std::string_view body = encoding == text_encoding_utf8_bom ? bytes.substr(3) : bytes;
        std::wstring text(body.size(), L'\0');
        for (std::size_t k = 0; k < body.size(); ++k)
            text[k] = static_cast<unsigned char>(body[k]);
        return parse(text, state);
    }
    // A UTF-16 file cut at the limit may end in half a character: drop it.
    if (bytes.size() % 2)
        bytes.remove_suffix(1);
    return parse(decode_text(bytes, encoding), state);
}

HostsFileTable HostsFileTable::read(const std::wstring& path)
{
    if (!file_exists(path))
        return with_state(HostsFileState::missing);
    std::unique_ptr<FILE, int (*)(FILE*)> file(open_file_stream(path, L"rb"), &std::fclose);
    if (!file)
        return with_state(HostsFileState::unreadable);
    std::string bytes;
    char chunk[65536];
    bool truncated = false;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        if (n == 0)
            break;
        const std::size_t room = kHostsFileReadLimit - bytes.size();
        if (n > room) {
            bytes.append(chunk, room);
            truncated = true;
            break;
        }
        bytes.append(chunk, n);
    }
    if (std::ferror(file.get()) && bytes.empty())
        return with_state(HostsFileState::unreadable);
    return from_bytes(bytes, truncated);
}

HostsFileMatch HostsFileTable::find(std::wstring_view host) const
{
    HostsFileMatch match;
    match.state = m_state;
    const std::string key = hosts_key(host);
    if (key.empty())
        return match;
    const auto it = m_names.find(key);
    if (it == m_names.end())
        return match;
    match.mapped = true;
    match.address = it->second.address;
    match.line = it->second.line;
    return match;
}
