#include "app/web_host_option.h"

#include <cwctype>

namespace {

bool parse_port(const std::wstring& text, int& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + (c - L'0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

bool valid_host_char(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
           c == L'-' || c == L'_' || c > 0x7F;
}

bool parse_value(const std::wstring& value, WebHostOption& out)
{
    std::wstring rest = value;
    std::wstring scheme;
    for (const wchar_t* prefix : {L"http://", L"https://"}) {
        std::wstring p(prefix);
        if (rest.size() > p.size() && rest.compare(0, p.size(), p) == 0) {
            scheme = p;
            rest = rest.substr(p.size());
            break;
        }
    }
    if (!rest.empty() && rest.back() == L'/')
        rest.pop_back();
    int port = scheme == L"https://" ? 443 : 80;
    size_t colon = rest.rfind(L':');
    std::wstring host = rest;
    if (colon != std::wstring::npos) {
        host = rest.substr(0, colon);
        if (!parse_port(rest.substr(colon + 1), port))
            return false;
    }
    if (host.empty())
        return false;
    for (wchar_t c : host)
        if (!valid_host_char(c))
            return false;
    out.host = scheme + host;
    out.port = port;
    return true;
}

} // namespace

WebHostOption parse_web_host_option(const std::vector<std::wstring>& args, const std::wstring& default_host,
                                    int default_port)
{
    WebHostOption out;
    out.host = default_host;
    out.port = default_port;
    const std::wstring name = L"--web-host";
    for (size_t i = 0; i < args.size(); ++i) {
        std::wstring value;
        bool found = false;
        if (args[i] == name) {
            found = true;
            if (i + 1 < args.size())
                value = args[++i];
        } else if (args[i].compare(0, name.size() + 1, name + L"=") == 0) {
            found = true;
            value = args[i].substr(name.size() + 1);
        }
        if (!found)
            continue;
        WebHostOption parsed = out;
        if (parse_value(value, parsed)) {
            out = parsed;
            out.error.clear();
        } else {
            out.error = L"--web-host needs HOST[:PORT], got \"" + value + L"\"";
        }
    }
    return out;
}
