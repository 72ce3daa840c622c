#include <chrono>

#include "check/channel/blastsock.h"
#include "check/channel/channel_connect.h"
#include "check/channel/session_event_listener.h"
#include "check/channel/socket_api.h"
#include "check/channel/tqs_command.h"
#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "checklist/mask_host.h"
#include "common/format.h"
#include "common/log.h"
#include "common/text_convert.h"

namespace {

std::int32_t elapsed_ms(std::chrono::steady_clock::time_point start)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return ms > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(ms);
}

} // namespace

CCheckRun::~CCheckRun() = default;

WebTestTarget web_test_target(const CCheckItem& item)
{
    WebTestTarget t;
    t.host = item.host;
    t.port = item.port;
    t.https = item.port == 443;
    if (item.host.find(L"netapi") != std::wstring::npos)
        t.path = kWebApiTestPath;
    return t;
}

void CCheckRun::close_channel()
{
    if (m_channel)
        m_channel->Close();
}

std::int32_t web_attempt_result(std::int32_t status)
{
    if (status == 200)
        return CHECK_OK;
    if (status == 0)
        return CHECK_WRONG_ANSWER;
    return status;
}

bool web_attempt_is_final(std::int32_t status)
{
    return status != 200 && status >= 100 && status <= 599;
}

bool CCheckRun::check_server(CCheckParam& param)
{
    if (param.group < 0 || param.item < 0 || static_cast<size_t>(param.group) >= m_check_groups.size() ||
        static_cast<size_t>(param.item) >= m_check_groups[param.group].size()) {
        param.result_code = CHECK_NO_SERVER_INFO;
        param.message = check_code_text(CHECK_NO_SERVER_INFO);
        return false;
    }
    const CCheckItem item = m_check_groups[param.group][param.item];
    const std::wstring masked = mask_host(item.host);
    // At least one attempt: with none the item would fail with result code 0.
    if (param.retry_count < 1)
        param.retry_count = 1;

    for (int n = 1; n <= param.retry_count; ++n) {
        SCLOG(0, L"%s:%d checking... retry_count : %d/%d", masked.c_str(), item.port, n, param.retry_count);
        const auto start = std::chrono::steady_clock::now();
        param.result_code = 0;

        bool go_on = true;
        if (!item.socket_test)
            go_on = run_http_attempt(item, param, n);
        else if (item.port <= kHandshakeMaxPort)
            run_handshake_attempt(item, param, n);
        else
            run_connect_attempt(item, param, n);

        const std::int32_t elapsed = elapsed_ms(start);
        param.total_ms += elapsed;
        param.attempt_count += 1;
        if (elapsed > param.longest_ms)
            param.longest_ms = elapsed;
        if (param.result_code == 0)
            param.success_count += 1;
        else
            param.last_failure = param.result_code;
        if (!go_on)
            break;
    }
    param.result_code = param.success_count > 0 ? 0 : param.last_failure;
    return param.success_count > 0;
}

void CCheckRun::run_handshake_attempt(const CCheckItem& item, CCheckParam& param, int n)
{
    if (!m_channel)
        m_channel = std::make_unique<blastsock>();
    blastsock& channel = *m_channel;

    const int connected = connect_channel(channel, item.host, item.port, m_listener);
    if (connected != channel_result::ok) {
        param.result_code = CHECK_CONNECT;
        param.message = format_text(L"%s connect fail. retry_count : %d/%d", item.title.c_str(), n, param.retry_count);
        SCLOG(0, L"%s", param.message.c_str());
        return;
    }
    SCLOG(0, L"%s connect() ok. retry_count : %d/%d", item.title.c_str(), n, param.retry_count);

    // The relay server does not take the start handshake: a connection with a
    // completed key exchange is all it can show. The socket stays open until the
    // next connect closes it.
    if (item.title.find(L"중계") != std::wstring::npos)
        return;

    std::uint16_t command = 0;
    if (!channel.SendCommand(NMS_C_START)) {
        param.result_code = CHECK_START_SEND;
        param.message = format_text(L"send NMS_C_START. error : %d. retry_count : %d/%d", socket_api::last_error(), n,
                                    param.retry_count);
    } else {
        SCLOG(0, L"send NMS_C_START");
        if (!channel.RecvCommand(command)) {
            param.result_code = CHECK_START_RECV;
            param.message = format_text(L"recv NMS_C_START_OK. error : %d. retry_count : %d/%d", socket_api::last_error(),
                                        n, param.retry_count);
        } else if (command != NMS_C_START_OK) {
            param.result_code = CHECK_WRONG_ANSWER;
            param.message =
                format_text(L"TQS protocol error : could not recv NMS_C_START_OK (command : %d). retry_count : %d/%d",
                            static_cast<int>(static_cast<std::int16_t>(command)), n, param.retry_count);
        } else {
            channel.Close();
            SCLOG(0, L"recv NMS_C_START_OK");
            return;
        }
    }
    // Handshake failure: never leave a half-used channel for the next attempt.
    channel.Close();
    if (m_listener)
        m_listener->on_session_event(CSessionEventListener::event_handshake_failed, 0);
}

void CCheckRun::run_connect_attempt(const CCheckItem& item, CCheckParam& param, int n)
{
    // A socket of its own, not the channel: no data is exchanged. The connect
    // waits at most 2 seconds, like the channel's, instead of the system's
    // retransmission time-out.
    Socket probe;
    if (!probe.Create()) {
        param.result_code = CHECK_SOCKET_CREATE;
        param.message = format_text(L"socket create() fail for connection test to %s. retry_count : %d/%d",
                                    item.title.c_str(), n, param.retry_count);
        return;
    }
    param.message = format_text(L"socket create() ok for connection test to %s:%d. retry_count : %d/%d",
                                item.host.c_str(), item.port, n, param.retry_count);
    if (!is_tcp_port(item.port) || !probe.Connect(to_system_narrow(item.host), item.port)) {
        param.result_code = CHECK_CONNECT;
        param.message = format_text(L"socket Connect() fail for connection test to %s. retry_count : %d/%d",
                                    item.title.c_str(), n, param.retry_count);
    }
    probe.Close();
}
