#include "check/diagnosis/proxy_route.h"

#include <cwctype>
#include <vector>

namespace {

std::vector<std::wstring_view> split(std::wstring_view text, std::wstring_view separators)
{
    std::vector<std::wstring_view> parts;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of(separators, pos);
        if (end == std::wstring_view::npos)
            end = text.size();
        if (end > pos)
            parts.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

std::wstring_view without_scheme(std::wstring_view server)
{
    const std::size_t at = server.find(L"://");
    return at == std::wstring_view::npos ? server : server.substr(at + 3);
}

// The proxy for the scheme: "https=host:port" for HTTPS, "http=host:port" for
// HTTP, else an entry without "=" that serves every scheme.
std::wstring proxy_for_scheme(std::wstring_view servers, bool https)
{
    std::wstring_view any;
    const std::wstring_view wanted = https ? L"https" : L"http";
    for (std::wstring_view entry : split(servers, L"; \t")) {
        const std::size_t eq = entry.find(L'=');
        if (eq == std::wstring_view::npos) {
            if (any.empty())
                any = entry;
            continue;
        }
        std::wstring_view scheme = entry.substr(0, eq);
        if (scheme.size() == wanted.size() && proxy_bypass_matches(wanted, scheme))
            return std::wstring(without_scheme(entry.substr(eq + 1)));
    }
    return std::wstring(without_scheme(any));
}

} // namespace

bool proxy_bypass_matches(std::wstring_view pattern, std::wstring_view host)
{
    // Iterative wildcard match with one back-track point: linear in practice.
    std::size_t p = 0, h = 0, star = std::wstring_view::npos, mark = 0;
    while (h < host.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = h;
        } else if (p < pattern.size() && std::towlower(pattern[p]) == std::towlower(host[h])) {
            ++p;
            ++h;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            h = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

ProxyRoute proxy_route_for(const ProxySettings& settings, bool https, std::wstring_view host)
{
    ProxyRoute route;
    route.known = settings.known;
    if (!settings.known)
        return route;
    route.auto_config_url = settings.auto_config_url;
    route.auto_detect = settings.auto_detect;
    if (!settings.use_proxy)
        return route;
    std::wstring proxy = proxy_for_scheme(settings.server, https);
    if (proxy.empty())
        return route;
    for (std::wstring_view entry : split(settings.bypass, L"; \t")) {
        if (entry == L"<local>") {
            if (host.find(L'.') == std::wstring_view::npos)
                return route;
        } else if (proxy_bypass_matches(entry, host)) {
            return route;
        }
    }
    route.via_proxy = true;
    route.proxy = std::move(proxy);
    return route;
}

void apply_pac_answer(ProxyRoute& route, PacOutcome outcome, const std::wstring& proxies, std::int32_t error)
{
    route.pac = outcome;
    route.pac_error = error;
    route.pac_proxy.clear();
    if (outcome != PacOutcome::proxy)
        return;
    const size_t start = proxies.find_first_not_of(L" ;\t");
    if (start == std::wstring::npos) {
        route.pac = PacOutcome::direct;
        return;
    }
    const size_t end = proxies.find_first_of(L" ;\t", start);
    route.pac_proxy = proxies.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    route.via_proxy = true;
    route.proxy = route.pac_proxy;
}

const char* pac_outcome_name(PacOutcome outcome)
{
    switch (outcome) {
    case PacOutcome::not_done: return "";
    case PacOutcome::direct: return "direct";
    case PacOutcome::proxy: return "proxy";
    case PacOutcome::download_failed: return "download-failed";
    case PacOutcome::script_failed: return "script-failed";
    case PacOutcome::timed_out: return "timed-out";
    }
    return "";
}
