// Talks to the test server's control endpoints over a plain Winsock connection, so
// that setting up a test never depends on the HTTP client under test.
#pragma once

#include <string>

struct ControlAnswer
{
    int status = 0;    // 0: no answer
    std::string body;
};

// `method` `target` (for example "POST", "/__control/rule?path=a&status=404") on
// 127.0.0.1:$VANTU_TS_HTTP_PORT, HTTP/1.0, bounded by 10 s.
ControlAnswer control_request(const std::string& method, const std::string& target);

// "%XX" for every byte outside the unreserved characters.
std::string url_encode(const std::string& text);
