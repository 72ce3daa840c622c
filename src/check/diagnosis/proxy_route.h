// Whether WinINet sends a request for a URL through a proxy, decided the way it
// decides from the connection's proxy settings: the server list (one proxy, or
// one per scheme as "http=a:80;https=b:8443"), and the bypass list ("<local>" for
// names without a dot, "*" wildcards, ";" between entries).
#pragma once

#include <string>
#include <string_view>

#include "check/diagnosis/item_diagnosis.h"

struct ProxySettings
{
    bool known = false;       // the settings could be read
    bool use_proxy = false;   // a proxy server is configured
    bool auto_detect = false; // WPAD
    std::wstring server;
    std::wstring bypass;
    std::wstring auto_config_url;
};

ProxyRoute proxy_route_for(const ProxySettings& settings, bool https, std::wstring_view host);

// The script's answer, "PROXY"-list form as WinHTTP gives it ("a:3128; b:8080"
// or "a:3128 b:8080"), taken into the route: its first proxy serves the URL, as
// WinINet would send the request there.
void apply_pac_answer(ProxyRoute& route, PacOutcome outcome, const std::wstring& proxies, std::int32_t error);

// "pac: proxy a:3128" and the like, for the report; "" when no script was asked.
const char* pac_outcome_name(PacOutcome outcome);

// "*" matches any run of characters; case is ignored.
bool proxy_bypass_matches(std::wstring_view pattern, std::wstring_view host);
