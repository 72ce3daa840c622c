#include <chrono>

#include "check/diagnosis/failure_kind.h"
#include "check/diagnosis/tls_inspectors.h"
#include "check/http/http_request.h"
#include "check/http/pac_evaluation.h"
#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "checklist/mask_host.h"
#include "common/log.h"

namespace {

// WinINet's "The URL is invalid": a port beyond 65535 cannot be requested.
constexpr std::int32_t kInvalidUrl = 12005;
// WinINet's "The connection with the server has been terminated".
constexpr std::int32_t kConnectionAborted = 12030;
// WinINet's "The server response could not be parsed".
constexpr std::int32_t kInvalidServerResponse = 12152;

// What the request showed about the failure: the server's status, a broken
// status line, or WinINet's error (certificate errors kept with the
// certificate). The phase comes from how far WinINet reported it got.
void note_http_failure(ItemDiagnosis& d, const HttpRequest& request, std::int32_t elapsed_ms)
{
    const std::int32_t status = request.m_status;
    d.web = request.progress();
    d.web.secure_channel = request.m_secure_channel;
    d.phase = FailurePhase::request;
    d.error_code = status;
    d.http_status = 0;
    d.answer = 0;
    d.timeout_ms = 0;
    if (request.is_server_answer()) {
        d.failure = failure_from_http_status(status);
        d.http_status = status;
        d.error_code = 0;
    } else if (status == -1 && request.m_answered_status != 0) {
        // The status line came, the body did not: the server answered.
        d.failure = FailureKind::answer_cut;
        d.http_status = request.m_answered_status;
    } else if (status == kHttpStatusQueryFailed) {
        // No status line: a connection closed before any byte, or bytes that are not HTTP.
        d.failure = d.web.reported && !d.web.response_bytes ? FailureKind::closed_by_peer : FailureKind::wrong_answer;
    } else if (status >= 12000 && status < 13000) {
        d.failure = failure_from_wininet_error(status);
        d.phase = web_failure_phase(d.web, request.m_https);
        // Wine's WinINet reports a receive that ran out its limit as an abort
        // (12030), where Windows says 12002: an abort with the request sent, no
        // answer begun and the whole receive limit used is that time-out.
        if (status == kConnectionAborted && d.web.request_sent && !d.web.response_received &&
            elapsed_ms >= request.m_timeout_ms)
            d.failure = FailureKind::timed_out;
        // "Invalid server response" for a connection that closed before a
        // single byte came back: nothing was answered, the peer closed it.
        if (status == kInvalidServerResponse && d.web.request_sent && !d.web.response_bytes)
            d.failure = FailureKind::closed_by_peer;
        if (d.failure == FailureKind::timed_out || d.failure == FailureKind::not_connected)
            d.timeout_ms = d.phase == FailurePhase::connect ? request.m_connect_timeout_ms : request.m_timeout_ms;
        if (is_wininet_certificate_error(status))
            d.tls.wininet_error = status;
        if (d.failure == FailureKind::name_not_resolved && d.name.outcome == LookupOutcome::invalid_name)
            d.failure = FailureKind::invalid_name;
    } else {
        d.failure = FailureKind::other;
    }
}

} // namespace

bool CCheckRun::run_http_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d)
{
    if (!is_tcp_port(item.port)) {
        param.result_code = kInvalidUrl;
        param.message = error_text(kInvalidUrl);
        if (d) {
            d->failure = FailureKind::other;
            d->phase = FailurePhase::request;
            d->error_code = kInvalidUrl;
        }
        return true;
    }
    const WebTestTarget target = web_test_target(item);
    HttpRequest request(target.host, target.port, target.path, L"GET", target.https);
    request.m_collect_facts = d != nullptr;
    const auto start = std::chrono::steady_clock::now();
    request.perform(false);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (d) {
        d->url = request.m_url;
        if (request.m_certificate.seen) {
            const std::int32_t wininet_error = d->tls.wininet_error;
            d->tls = request.m_certificate;
            d->tls.wininet_error = wininet_error;
            assess_certificate(d->tls, m_tls_issuers);
        }
        d->proxy = proxy_route_for(request.m_proxy_settings, request.m_https, request.m_host);
        if (!d->proxy.auto_config_url.empty()) {
            // What the script chooses for this URL, asked once per script and URL.
            const auto key = std::make_pair(d->proxy.auto_config_url, request.m_url);
            auto known = m_pac_answers.find(key);
            if (known == m_pac_answers.end())
                known = m_pac_answers.emplace(key, evaluate_pac(key.first, key.second)).first;
            const PacAnswer& answer = known->second;
            apply_pac_answer(d->proxy, answer.outcome, answer.proxies, answer.error);
        }
    }
    if (request.is_success()) {
        SCLOG(0, L"%s:%d response ok. retry_count : %d/%d", mask_host(item.host).c_str(), item.port, n,
              param.retry_count);
        return true;
    }
    if (d)
        note_http_failure(*d, request, static_cast<std::int32_t>(elapsed.count()));
    param.result_code = web_attempt_result(request.m_status);
    param.message = request.m_text;
    return !web_attempt_is_final(request.m_status);
}
