#include <chrono>

#include "check/channel/blastsock.h"
#include "check/channel/channel_connect.h"
#include "check/channel/session_event_listener.h"
#include "check/channel/socket_api.h"
#include "check/channel/tqs_command.h"
#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/failure_kind.h"
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

void note_failure(ItemDiagnosis* d, FailureKind kind, FailurePhase phase, int error, int timeout_ms = 0)
{
    if (!d)
        return;
    d->failure = kind;
    d->phase = phase;
    d->error_code = error;
    d->timeout_ms = timeout_ms;
    d->http_status = 0;
    d->answer = 0;
}

bool has_ipv4_address(const NameResolution& name)
{
    for (const std::string& a : name.addresses)
        if (a.find(':') == std::string::npos)
            return true;
    return false;
}

// A connect that failed: a name without an IPv4 address fails before any packet
// is sent (the channel's sockets are IPv4), otherwise the socket error tells.
void note_connect_failure(ItemDiagnosis* d, int error)
{
    if (!d)
        return;
    if (d->name.outcome == LookupOutcome::invalid_name)
        note_failure(d, FailureKind::invalid_name, FailurePhase::connect, error);
    else if (error == socket_api::error_invalid_argument() && !has_ipv4_address(d->name))
        note_failure(d, FailureKind::name_not_resolved, FailurePhase::connect, error);
    else
        note_failure(d, failure_from_socket_error(error, false), FailurePhase::connect, error,
                     Socket::connect_timeout_ms);
}

// A send or receive of the exchange that failed: closed by the peer, reset,
// timed out; anything else is the exchange's own failure.
void note_exchange_failure(ItemDiagnosis* d, const Socket& socket, int error, FailurePhase phase,
                           FailureKind otherwise)
{
    FailureKind kind = failure_from_socket_error(error, socket.closed_by_peer());
    if (kind == FailureKind::other || kind == FailureKind::refused || kind == FailureKind::unreachable)
        kind = otherwise;
    note_failure(d, kind, phase, error, channel_io_timeout_ms);
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
    ItemDiagnosis diagnosis = m_diagnose ? m_diagnosis.begin_item(item.host, item.port) : ItemDiagnosis();
    ItemDiagnosis* d = m_diagnose ? &diagnosis : nullptr;
    // At least one attempt: with none the item would fail with result code 0.
    if (param.retry_count < 1)
        param.retry_count = 1;

    std::vector<AttemptRecord> attempts;
    for (int n = 1; n <= param.retry_count; ++n) {
        SCLOG(0, L"%s:%d checking... retry_count : %d/%d", masked.c_str(), item.port, n, param.retry_count);
        const auto start = std::chrono::steady_clock::now();
        param.result_code = 0;

        bool go_on = true;
        if (!item.socket_test)
            go_on = run_http_attempt(item, param, n, d);
        else if (item.port <= kHandshakeMaxPort)
            run_handshake_attempt(item, param, n, d);
        else
            run_connect_attempt(item, param, n, d);

        const std::int32_t elapsed = elapsed_ms(start);
        param.total_ms += elapsed;
        param.attempt_count += 1;
        if (elapsed > param.longest_ms)
            param.longest_ms = elapsed;
        if (param.result_code == 0)
            param.success_count += 1;
        else
            param.last_failure = param.result_code;
        attempts.push_back(AttemptRecord{elapsed, param.result_code});
        if (!go_on)
            break;
    }
    param.result_code = param.success_count > 0 ? 0 : param.last_failure;
    std::optional<ItemDiagnosis> diagnosed;
    if (d) {
        // Only for the diagnosis, once per item, and only when the attempts could
        // not tell a refusal from silence: a failed item that never connected.
        ProbeTarget target;
        if (param.success_count == 0 && connect_probe_target(*d, item.host, item.port, target))
            apply_connect_probe(*d, probe_connect(m_probe_layer ? *m_probe_layer : system_probe_layer(), target.host,
                                                  target.port));
        d->cause = cause_line(*d, AttemptTally{param.attempt_count, param.success_count});
        SCLOG(1, L"%s", diagnosis_log_line(*d).c_str());
        diagnosed = std::move(*d);
    }
    note_item_facts(param.group, param.item, std::move(attempts), std::move(diagnosed));
    return param.success_count > 0;
}

void CCheckRun::run_handshake_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d)
{
    if (!m_channel)
        m_channel = std::make_unique<blastsock>();
    blastsock& channel = *m_channel;

    std::string local_address;
    const int connected = connect_channel(channel, item.host, item.port, m_listener, d ? &local_address : nullptr);
    const int connect_error = socket_api::last_error();
    if (d && !local_address.empty())
        d->local_address = local_address;
    if (connected == channel_result::socket_not_created)
        note_failure(d, FailureKind::no_socket, FailurePhase::connect, connect_error);
    else if (connected == channel_result::no_connection)
        note_connect_failure(d, connect_error);
    else if (connected == channel_result::key_exchange_failed)
        note_exchange_failure(d, channel, connect_error, FailurePhase::key_exchange, FailureKind::key_exchange_failed);
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
        const int error = socket_api::last_error();
        param.result_code = CHECK_START_SEND;
        param.message = format_text(L"send NMS_C_START. error : %d. retry_count : %d/%d", error, n,
                                    param.retry_count);
        note_exchange_failure(d, channel, error, FailurePhase::handshake, FailureKind::other);
    } else {
        SCLOG(0, L"send NMS_C_START");
        if (!channel.RecvCommand(command)) {
            const int error = socket_api::last_error();
            param.result_code = CHECK_START_RECV;
            param.message = format_text(L"recv NMS_C_START_OK. error : %d. retry_count : %d/%d", error,
                                        n, param.retry_count);
            note_exchange_failure(d, channel, error, FailurePhase::handshake, FailureKind::other);
        } else if (command != NMS_C_START_OK) {
            const int answer = static_cast<int>(static_cast<std::int16_t>(command));
            param.result_code = CHECK_WRONG_ANSWER;
            param.message =
                format_text(L"TQS protocol error : could not recv NMS_C_START_OK (command : %d). retry_count : %d/%d",
                            answer, n, param.retry_count);
            note_failure(d, FailureKind::wrong_answer, FailurePhase::handshake, 0);
            if (d)
                d->answer = answer;
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

void CCheckRun::run_connect_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d)
{
    // A socket of its own, not the channel: no data is exchanged. The connect
    // waits at most 2 seconds, like the channel's, instead of the system's
    // retransmission time-out.
    Socket probe;
    if (!probe.Create()) {
        note_failure(d, FailureKind::no_socket, FailurePhase::connect, socket_api::last_error());
        param.result_code = CHECK_SOCKET_CREATE;
        param.message = format_text(L"socket create() fail for connection test to %s. retry_count : %d/%d",
                                    item.title.c_str(), n, param.retry_count);
        return;
    }
    param.message = format_text(L"socket create() ok for connection test to %s:%d. retry_count : %d/%d",
                                item.host.c_str(), item.port, n, param.retry_count);
    if (!is_tcp_port(item.port) || !probe.Connect(to_system_narrow(item.host), item.port)) {
        note_connect_failure(d, socket_api::last_error());
        param.result_code = CHECK_CONNECT;
        param.message = format_text(L"socket Connect() fail for connection test to %s. retry_count : %d/%d",
                                    item.title.c_str(), n, param.retry_count);
    } else if (d) {
        d->local_address = socket_api::local_endpoint(probe.handle());
    }
    probe.Close();
}
