// Figures of the HTTP client against the test server (not a test): run it under
//   tests/support/with-testserver SERVER -- scripts/wine-run http_request_bench.exe
#include "check/http/http_request.h"

#include "control_client_win.h"
#include "support/win/test_server.h"

#include <chrono>
#include <cstdio>
#include <string>

using test_support::test_server_port;

namespace {

double ms_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main()
{
    int http_port = test_server_port("VANTU_TS_HTTP_PORT");
    int https_port = test_server_port("VANTU_TS_HTTPS_PORT");
    int closed_port = test_server_port("VANTU_TS_CLOSED_PORT");
    if (http_port <= 0 || https_port <= 0) {
        std::fprintf(stderr, "run under tests/support/with-testserver\n");
        return 2;
    }
    control_request("POST", "/__control/rule?path=small&body=%7B%22ok%22%3Atrue%7D");
    control_request("POST", "/__control/rule?path=large&size=16000000&body=0123456789abcdef");

    const int rounds = 50;
    for (bool https : {false, true}) {
        auto start = std::chrono::steady_clock::now();
        int ok = 0;
        for (int i = 0; i < rounds; ++i) {
            HttpRequest request(L"127.0.0.1", https ? https_port : http_port, L"small", L"GET", https);
            request.perform(false);
            ok += request.is_success();
        }
        std::printf("%-5s small GET: %.1f ms each (%d/%d ok)\n", https ? "HTTPS" : "HTTP", ms_since(start) / rounds,
                    ok, rounds);
    }

    auto start = std::chrono::steady_clock::now();
    HttpRequest large(L"127.0.0.1", http_port, L"large", L"GET", false);
    large.perform(false);
    double ms = ms_since(start);
    std::printf("16 MB body into m_text: %.0f ms, %.1f MB/s (status %d, %zu chars)\n", ms, 16.0 / (ms / 1000.0),
                large.m_status, large.m_text.size());

    if (closed_port > 0) {
        start = std::chrono::steady_clock::now();
        HttpRequest closed(L"127.0.0.1", closed_port, L"/", L"GET", false);
        closed.perform(true);
        std::printf("pre-check against a closed port: %.1f ms (status %d)\n", ms_since(start), closed.m_status);
    }
    return 0;
}
