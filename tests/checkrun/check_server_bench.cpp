// Prints how long the server check takes per kind of server. Run it under the
// test server: tests/support/with-testserver SERVER -- check_server_bench
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/run/check_run.h"

namespace {

void measure(const char* label, const wchar_t* title, const char* port_variable, bool socket_test)
{
    const char* port_text = std::getenv(port_variable);
    if (!port_text) {
        std::printf("%-34s %s not set\n", label, port_variable);
        return;
    }
    CCheckRun run;
    run.m_check_groups.push_back({CCheckItem{}});
    CCheckItem item;
    item.title = title;
    item.host = L"127.0.0.1";
    item.port = std::atoi(port_text);
    item.socket_test = socket_test;
    run.m_check_groups.push_back({item});
    CCheckParam param(1, 0);
    run.check_server(param);
    std::printf("%-34s port %5d  code %6d  ok %d/%d  total %5d ms  longest %5d ms\n", label, item.port,
                param.result_code, param.success_count, param.attempt_count, param.total_ms, param.longest_ms);
}

} // namespace

int main()
{
    measure("handshake, answered", L"세션 서버", "VANTU_TS_TQS_OK_PORT", true);
    measure("handshake, wrong command", L"세션 서버", "VANTU_TS_TQS_WRONG_COMMAND_PORT", true);
    measure("relay, key exchange only", L"중계 서버", "VANTU_TS_TQS_OK_PORT", true);
    measure("handshake, closed after key", L"세션 서버", "VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT", true);
    measure("plain connect, listening", L"세션 서버", "VANTU_TS_PLAIN_PORT", true);
    measure("plain connect, closed port", L"세션 서버", "VANTU_TS_CLOSED_PORT", true);
#ifdef _WIN32
    measure("web, 404 (tried once)", L"웹 서버", "VANTU_TS_HTTP_PORT", false);
    measure("web, closed port", L"웹 서버", "VANTU_TS_CLOSED_PORT", false);
#endif
    return 0;
}
