// Prints what the diagnosis adds to the server check: the median time of one
// item with the diagnosis on and off, in the same process, per kind of server.
// Each run is a new check run, so the name look-up and the hosts file are paid
// every time (the worst case: a check list of distinct hosts).
// Run it under the test server: tests/support/with-testserver SERVER -- diagnosis_cost_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/run/check_run.h"

namespace {

double item_ms(const std::wstring& host, int port, bool socket_test, bool diagnose)
{
    CCheckRun run;
    run.m_diagnose = diagnose;
    run.m_check_groups.push_back({CCheckItem{}});
    CCheckItem item;
    item.title = L"세션 서버";
    item.host = host;
    item.port = port;
    item.socket_test = socket_test;
    item.kind_index = socket_test ? 4 : 6;
    run.m_check_groups.push_back({item});
    run.m_diagnosis.reset(L"");
    CCheckParam param(1, 0);
    const auto start = std::chrono::steady_clock::now();
    run.check_server(param);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void measure(const char* label, const std::wstring& host, const char* port_variable, bool socket_test, int rounds)
{
    const char* port_text = std::getenv(port_variable);
    if (!port_text) {
        std::printf("%-30s %s not set\n", label, port_variable);
        return;
    }
    const int port = std::atoi(port_text);
    std::vector<double> on, off;
    // Alternating, so that a slow moment of the machine hits both alike.
    for (int i = 0; i < rounds; ++i) {
        off.push_back(item_ms(host, port, socket_test, false));
        on.push_back(item_ms(host, port, socket_test, true));
    }
    const double m_on = median(on), m_off = median(off);
    std::printf("%-30s off %8.2f ms  on %8.2f ms  extra %+7.2f ms per item (3 attempts, median of %d)\n", label, m_off,
                m_on, m_on - m_off, rounds);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    measure("handshake, answered", L"127.0.0.1", "VANTU_TS_TQS_OK_PORT", true, rounds);
    measure("handshake, by name", L"localhost", "VANTU_TS_TQS_OK_PORT", true, rounds);
    measure("plain connect, listening", L"127.0.0.1", "VANTU_TS_PLAIN_PORT", true, rounds);
    measure("plain connect, refused", L"127.0.0.1", "VANTU_TS_CLOSED_PORT", true, rounds);
#ifdef _WIN32
    measure("web, 404 (tried once)", L"127.0.0.1", "VANTU_TS_HTTP_PORT", false, rounds);
    measure("web, refused", L"127.0.0.1", "VANTU_TS_CLOSED_PORT", false, rounds);
#endif
    return 0;
}
