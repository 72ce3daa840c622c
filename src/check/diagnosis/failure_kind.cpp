#include "check/diagnosis/failure_kind.h"

#include "check/channel/socket_api.h"

namespace {

// WinINet's codes (12000 + n), fixed by the library.
constexpr std::int32_t kTimeout = 12002;
constexpr std::int32_t kNameNotResolved = 12007;
constexpr std::int32_t kCannotConnect = 12029;
constexpr std::int32_t kConnectionAborted = 12030;
constexpr std::int32_t kConnectionReset = 12031;
constexpr std::int32_t kInvalidServerResponse = 12152;
constexpr std::int32_t kServerUnreachable = 12164;
constexpr std::int32_t kProxyUnreachable = 12165;

} // namespace

FailureKind failure_from_socket_error(int code, bool closed_by_peer)
{
    if (closed_by_peer)
        return FailureKind::closed_by_peer;
    switch (socket_api::classify_error(code)) {
    case socket_api::error_kind::refused: return FailureKind::refused;
    case socket_api::error_kind::timed_out: return FailureKind::timed_out;
    case socket_api::error_kind::reset: return FailureKind::reset;
    case socket_api::error_kind::aborted: return FailureKind::closed_by_peer;
    case socket_api::error_kind::aborted_here: return FailureKind::aborted_here;
    case socket_api::error_kind::unreachable: return FailureKind::unreachable;
    case socket_api::error_kind::other: break;
    }
    return FailureKind::other;
}

bool proxy_answered_tunnel(const ItemDiagnosis& d)
{
    return d.failure == FailureKind::http_status && d.proxy.known && d.proxy.via_proxy &&
           d.url.rfind(L"https://", 0) == 0 && d.web.reported && !d.web.secure_channel;
}

const char* failure_party(const ItemDiagnosis& d)
{
    // Through a proxy, the connection WinINet makes is to the proxy: a name
    // that does not resolve, a refusal, silence or no route are the proxy's.
    const bool via_proxy = d.proxy.known && d.proxy.via_proxy;
    switch (d.failure) {
    case FailureKind::none: return "";
    case FailureKind::invalid_name: return "server"; // the check list names no host
    case FailureKind::name_not_resolved: return via_proxy ? "proxy" : "network";
    case FailureKind::no_socket:
    case FailureKind::aborted_here: return "pc";
    case FailureKind::refused: return via_proxy ? "proxy" : "server";
    case FailureKind::timed_out:
        if (via_proxy)
            return "proxy";
        return d.phase == FailurePhase::connect || d.phase == FailurePhase::none ? "network" : "server";
    case FailureKind::unreachable:
    case FailureKind::not_connected: return via_proxy ? "proxy" : "network";
    case FailureKind::reset:
        if (via_proxy && !d.tls.seen)
            return "proxy";
        return "network"; // the peer or a device between: the path is where to look
    case FailureKind::proxy_auth_required: return "proxy";
    case FailureKind::tls_failure:
        if (d.tls.inspected)
            return "network";
        return d.tls.wininet_error == 12157 ? "pc" : "server";
    case FailureKind::closed_by_peer:
    case FailureKind::wrong_answer:
        // Through a proxy and before any secure channel to the server, the peer
        // that closed or answered is the proxy.
        return via_proxy && !d.tls.seen ? "proxy" : "server";
    case FailureKind::http_status:
        return proxy_answered_tunnel(d) ? "proxy" : "server";
    case FailureKind::key_exchange_failed:
    case FailureKind::answer_cut:
    case FailureKind::other: return "server";
    }
    return "";
}

bool is_wininet_certificate_error(std::int32_t code)
{
    switch (code) {
    case 12037: // certificate date invalid
    case 12038: // certificate name invalid
    case 12044: // client certificate needed
    case 12045: // unknown certificate authority
    case 12055: // certificate errors
    case 12056: // no revocation check
    case 12057: // revocation check failed
    case 12157: // secure channel error
    case 12169: // invalid certificate
    case 12170: // certificate revoked
        return true;
    default:
        return false;
    }
}

FailureKind failure_from_wininet_error(std::int32_t code)
{
    if (is_wininet_certificate_error(code))
        return FailureKind::tls_failure;
    switch (code) {
    case kTimeout: return FailureKind::timed_out;
    case kNameNotResolved: return FailureKind::name_not_resolved;
    case kCannotConnect: return FailureKind::not_connected;
    case kConnectionAborted: return FailureKind::closed_by_peer;
    case kConnectionReset: return FailureKind::reset;
    case kInvalidServerResponse: return FailureKind::wrong_answer;
    case kServerUnreachable:
    case kProxyUnreachable: return FailureKind::unreachable;
    default: return FailureKind::other;
    }
}

FailurePhase web_failure_phase(const WebProgress& progress, bool https)
{
    if (!progress.reported)
        return FailurePhase::request;
    if (!progress.connected)
        return FailurePhase::connect;
    if (!progress.request_sent)
        return https ? FailurePhase::tls : FailurePhase::request;
    return FailurePhase::request;
}

FailureKind failure_from_http_status(std::int32_t status)
{
    return status == 407 ? FailureKind::proxy_auth_required : FailureKind::http_status;
}

const char* failure_kind_name(FailureKind kind)
{
    switch (kind) {
    case FailureKind::none: return "none";
    case FailureKind::invalid_name: return "invalid-name";
    case FailureKind::name_not_resolved: return "name-not-resolved";
    case FailureKind::no_socket: return "no-socket";
    case FailureKind::refused: return "refused";
    case FailureKind::timed_out: return "timed-out";
    case FailureKind::unreachable: return "unreachable";
    case FailureKind::reset: return "reset";
    case FailureKind::closed_by_peer: return "closed-by-peer";
    case FailureKind::aborted_here: return "aborted-here";
    case FailureKind::key_exchange_failed: return "key-exchange-failed";
    case FailureKind::wrong_answer: return "wrong-answer";
    case FailureKind::tls_failure: return "tls-failure";
    case FailureKind::http_status: return "http-status";
    case FailureKind::answer_cut: return "answer-cut";
    case FailureKind::proxy_auth_required: return "proxy-auth-required";
    case FailureKind::not_connected: return "not-connected";
    case FailureKind::other: return "other";
    }
    return "other";
}

const char* lookup_outcome_name(LookupOutcome outcome)
{
    switch (outcome) {
    case LookupOutcome::not_done: return "not-done";
    case LookupOutcome::invalid_name: return "invalid-name";
    case LookupOutcome::literal: return "literal";
    case LookupOutcome::resolved: return "resolved";
    case LookupOutcome::not_found: return "not-found";
    case LookupOutcome::no_data: return "no-data";
    case LookupOutcome::temporary_failure: return "temporary-failure";
    case LookupOutcome::failed: return "failed";
    }
    return "failed";
}

const char* failure_phase_name(FailurePhase phase)
{
    switch (phase) {
    case FailurePhase::none: return "none";
    case FailurePhase::connect: return "connect";
    case FailurePhase::key_exchange: return "key-exchange";
    case FailurePhase::handshake: return "handshake";
    case FailurePhase::tls: return "tls";
    case FailurePhase::request: return "request";
    }
    return "none";
}

const char* probe_outcome_name(ProbeOutcome outcome)
{
    switch (outcome) {
    case ProbeOutcome::not_done: return "";
    case ProbeOutcome::connected: return "connected";
    case ProbeOutcome::refused: return "refused";
    case ProbeOutcome::no_answer: return "no-answer";
    case ProbeOutcome::unreachable: return "unreachable";
    case ProbeOutcome::no_address: return "no-address";
    case ProbeOutcome::failed: return "failed";
    }
    return "";
}

const char* hosts_state_name(HostsFileState state)
{
    switch (state) {
    case HostsFileState::not_read: return "not-read";
    case HostsFileState::missing: return "missing";
    case HostsFileState::unreadable: return "unreadable";
    case HostsFileState::binary: return "binary";
    case HostsFileState::read: return "read";
    case HostsFileState::truncated: return "truncated";
    }
    return "not-read";
}
