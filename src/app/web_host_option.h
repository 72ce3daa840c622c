// Where the check list is downloaded from: the built-in web host, or the one
// given on the command line with --web-host HOST[:PORT].
#pragma once

#include <string>
#include <vector>

struct WebHostOption {
    std::wstring host;
    int port = 80;
    // Empty when the arguments were fine; otherwise why the option was ignored.
    std::wstring error;
};

// Reads "--web-host HOST[:PORT]" (or "--web-host=HOST[:PORT]") from the
// arguments. HOST may carry "http://" or "https://"; without a port the
// scheme's own port (80, 443 for https://) is used. A missing or malformed
// value keeps the defaults and says why in `error`.
WebHostOption parse_web_host_option(const std::vector<std::wstring>& args, const std::wstring& default_host,
                                    int default_port = 80);
