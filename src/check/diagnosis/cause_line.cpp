#include "check/diagnosis/cause_line.h"

#include <cwctype>

#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/distinguished_name.h"
#include "check/diagnosis/failure_kind.h"
#include "check/diagnosis/ip_address.h"
#include "checklist/mask_host.h"
#include "common/format.h"
#include "common/text_convert.h"

namespace {

std::wstring masked(const std::string& address)
{
    return mask_host(from_utf8(address));
}

const wchar_t* phase_text(FailurePhase phase)
{
    switch (phase) {
    case FailurePhase::key_exchange: return L"암호화 키 교환";
    case FailurePhase::handshake: return L"시작 신호 교환";
    case FailurePhase::tls: return L"HTTPS 보안 연결";
    case FailurePhase::request: return L"웹 요청";
    default: return L"연결";
    }
}

int seconds(std::int32_t ms)
{
    return ms > 0 ? (ms + 999) / 1000 : 0;
}

bool only_ipv6(const NameResolution& name)
{
    if (name.outcome != LookupOutcome::resolved || name.addresses.empty())
        return false;
    for (const std::string& a : name.addresses)
        if (a.find(':') == std::string::npos)
            return false;
    return true;
}

std::wstring name_cause(const ItemDiagnosis& d)
{
    const std::wstring host = mask_host(d.name.host);
    switch (d.name.outcome) {
    case LookupOutcome::invalid_name:
        return format_text(L"서버 주소가 올바른 호스트 이름이 아닙니다 (%s).", d.name.invalid_reason.c_str());
    case LookupOutcome::not_found:
        return format_text(L"DNS에서 서버 이름(%s)을 찾을 수 없습니다.", host.c_str());
    case LookupOutcome::no_data:
        return format_text(L"서버 이름(%s)에 등록된 주소가 없습니다.", host.c_str());
    case LookupOutcome::temporary_failure:
        return format_text(L"DNS 서버가 응답하지 않아 서버 이름(%s)의 주소를 알 수 없습니다.", host.c_str());
    case LookupOutcome::failed:
        return format_text(L"서버 이름(%s)의 주소를 조회하지 못했습니다 (오류 %d).", host.c_str(), d.name.error_code);
    default:
        break;
    }
    if (only_ipv6(d.name))
        return format_text(L"서버 이름(%s)에 IPv6 주소만 있어 IPv4로 연결할 수 없습니다.", host.c_str());
    return format_text(L"서버 이름(%s)의 주소를 찾지 못했습니다.", host.c_str());
}

std::wstring clock_sentence(const TlsCertificate& tls)
{
    return format_text(L"이 PC의 시계(%s)가 서버 인증서의 유효 기간(%s ~ %s) 밖에 있습니다: PC의 날짜와 시간이 틀렸거나 "
                       L"서버 인증서가 만료되었습니다.",
                       tls.pc_time.c_str(), tls.valid_from.c_str(), tls.valid_to.c_str());
}

// What the common statuses mean for the engineer, after the status itself.
const wchar_t* http_status_sentence(std::int32_t status)
{
    switch (status) {
    case 401: return L": 서버가 인증을 요구합니다.";
    case 403: return L": 서버가 이 요청을 허용하지 않습니다.";
    case 404: return L": 웹 서버는 동작하지만 요청한 경로가 없습니다.";
    case 502: return L": 서버 앞의 게이트웨이나 프록시가 뒤쪽 서버에서 올바른 응답을 받지 못했습니다.";
    case 503: return L": 서버가 지금 요청을 처리할 수 없습니다 (과부하나 점검 중일 수 있음).";
    case 504: return L": 서버 앞의 게이트웨이나 프록시가 뒤쪽 서버의 응답을 기다리다 시간이 다 되었습니다.";
    default: break;
    }
    return status >= 500 && status <= 599 ? L": 웹 서버는 동작하지만 요청을 처리하다 오류가 났습니다." : L".";
}

// What the server's certificate says of the path: an inspecting product, an
// issuer the check list does not expect, or why the system distrusts it.
std::wstring certificate_sentence(const TlsCertificate& tls)
{
    if (!tls.seen)
        return std::wstring();
    if (tls.inspected && !tls.inspected_by.empty())
        return format_text(L"HTTPS 인증서를 %s 제품이 발급했습니다: 보안 장비가 HTTPS를 검사하고 있습니다.",
                           tls.inspected_by.c_str());
    if (tls.inspected)
        return L"HTTPS 인증서의 발급자가 점검 목록이 예상하는 발급자가 아닙니다: 중간에서 HTTPS를 검사하는 장비가 있을 수 "
               L"있습니다.";
    switch (tls.untrusted_reason) {
    case UntrustedReason::self_signed:
        return L"서버 인증서가 자체 서명 인증서라서 이 PC가 신뢰하지 않습니다.";
    case UntrustedReason::unknown_root:
        return L"서버 인증서를 발급한 루트 인증 기관을 이 PC가 신뢰하지 않습니다: 사설 인증 기관이라면 그 인증서가 이 PC에 "
               L"설치되어 있지 않습니다.";
    case UntrustedReason::incomplete_chain:
        return L"서버가 중간 인증서를 보내지 않아 이 PC가 인증서 체인을 완성하지 못했습니다: 폐쇄망이라면 서버 설정이나 "
               L"중간 인증서 설치를 확인하세요.";
    case UntrustedReason::other:
        return format_text(L"이 PC가 서버 인증서를 신뢰하지 않습니다 (체인 오류 0x%X).",
                           static_cast<unsigned>(tls.chain_errors));
    case UntrustedReason::none:
        break;
    }
    return std::wstring();
}

// A script that could not tell which proxy serves the URL.
std::wstring pac_sentence(const ProxyRoute& proxy)
{
    const std::wstring url = masked_config_url(proxy.auto_config_url);
    switch (proxy.pac) {
    case PacOutcome::download_failed:
        return format_text(L"프록시 자동 구성 스크립트(%s)를 내려받지 못했습니다 (오류 %d).", url.c_str(), proxy.pac_error);
    case PacOutcome::script_failed:
        return format_text(L"프록시 자동 구성 스크립트(%s)를 실행하지 못했습니다 (오류 %d): 스크립트가 올바른지 확인하세요.",
                           url.c_str(), proxy.pac_error);
    case PacOutcome::timed_out:
        return format_text(L"프록시 자동 구성 스크립트(%s)가 제한 시간 안에 끝나지 않았습니다.", url.c_str());
    default:
        return std::wstring();
    }
}

// A failure of the connection to the proxy the request went through.
std::wstring proxy_cause(const ItemDiagnosis& d)
{
    const std::wstring proxy = masked_endpoint(to_utf8(d.proxy.proxy));
    switch (d.failure) {
    case FailureKind::name_not_resolved:
        return format_text(L"프록시 서버(%s)의 이름을 찾을 수 없습니다: 이 PC의 프록시 설정을 확인하세요.", proxy.c_str());
    case FailureKind::refused:
        return format_text(L"프록시 서버(%s)가 연결을 거부했습니다: 프록시 서비스가 멈췄거나 프록시 설정의 포트가 "
                           L"틀렸습니다.",
                           proxy.c_str());
    case FailureKind::timed_out:
        return format_text(L"프록시 서버(%s)가 %d초 안에 응답하지 않았습니다.", proxy.c_str(), seconds(d.timeout_ms));
    case FailureKind::unreachable:
        return format_text(L"프록시 서버(%s)까지 가는 네트워크 경로가 없습니다.", proxy.c_str());
    case FailureKind::not_connected:
        return format_text(L"프록시 서버(%s)에 연결하지 못했습니다 (오류 %d).", proxy.c_str(), d.error_code);
    case FailureKind::closed_by_peer:
        return d.tls.seen ? std::wstring()
                          : format_text(L"프록시 서버(%s)가 응답 없이 연결을 닫았습니다.", proxy.c_str());
    case FailureKind::wrong_answer:
        return d.tls.seen ? std::wstring()
                          : format_text(L"프록시 서버(%s)의 응답이 올바른 HTTP 응답이 아닙니다.", proxy.c_str());
    case FailureKind::reset:
        return d.tls.seen ? std::wstring() : format_text(L"프록시 서버(%s)와의 연결이 재설정되었습니다.", proxy.c_str());
    case FailureKind::http_status:
        if (!proxy_answered_tunnel(d))
            return std::wstring();
        return format_text(L"프록시 서버(%s)가 서버로 가는 연결 요청(CONNECT)에 HTTP 상태 %d(으)로 응답했습니다: 프록시가 서버에 "
                           L"닿지 못했거나 이 연결을 허용하지 않습니다.",
                           proxy.c_str(), d.http_status);
    default:
        return std::wstring();
    }
}

std::wstring failure_cause(const ItemDiagnosis& d)
{
    if (d.proxy.known && d.proxy.via_proxy) {
        const std::wstring through_proxy = proxy_cause(d);
        if (!through_proxy.empty())
            return through_proxy;
    }
    switch (d.failure) {
    case FailureKind::invalid_name:
    case FailureKind::name_not_resolved:
        return name_cause(d);
    case FailureKind::no_socket:
        return format_text(L"시스템이 소켓을 만들지 못했습니다 (오류 %d).", d.error_code);
    case FailureKind::refused:
        return format_text(L"%d번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다.", d.port);
    case FailureKind::timed_out:
        if (d.phase == FailurePhase::connect || d.phase == FailurePhase::none)
            return format_text(L"%d번 포트가 %d초 안에 응답하지 않았습니다: 방화벽이 연결을 막고 있을 수 있습니다.",
                               d.port, seconds(d.timeout_ms));
        return format_text(L"연결은 되었지만 %s 중 서버가 %d초 안에 응답하지 않았습니다.", phase_text(d.phase),
                           seconds(d.timeout_ms));
    case FailureKind::unreachable:
        return L"서버까지 가는 네트워크 경로가 없습니다 (네트워크 또는 호스트에 도달할 수 없음).";
    case FailureKind::reset:
        return format_text(L"%s 중 연결이 재설정되었습니다: 서버나 중간의 방화벽·보안 장비가 연결을 끊었습니다.",
                           phase_text(d.phase));
    case FailureKind::closed_by_peer:
        return format_text(L"%s 중 서버가 연결을 닫았습니다.", phase_text(d.phase));
    case FailureKind::aborted_here:
        return format_text(L"%s 중 이 PC가 연결을 중단했습니다 (오류 %d): 이 PC의 방화벽이나 보안 프로그램이 연결을 끊었을 수 "
                           L"있습니다.",
                           phase_text(d.phase), d.error_code);
    case FailureKind::key_exchange_failed:
        return L"서버와 암호화 키를 교환하지 못했습니다: 서버의 키 응답이 올바르지 않습니다.";
    case FailureKind::wrong_answer:
        if (d.phase == FailurePhase::handshake)
            return format_text(L"서버가 시작 신호에 다른 응답(명령 %d)을 보냈습니다: 이 포트에서 다른 서비스가 응답하고 있을 수 "
                               L"있습니다.",
                               d.answer);
        return L"서버의 HTTP 응답이 올바르지 않습니다.";
    case FailureKind::tls_failure:
        // No common protocol version or cipher: the classic of an old Windows
        // whose TLS 1.2 is switched off, or of a server that dropped older versions.
        if (d.tls.wininet_error == 12157)
            return L"HTTPS 보안 연결을 맺지 못했습니다 (보안 채널 오류 12157): 대개 이 PC와 서버가 함께 쓸 수 있는 TLS 버전이나 "
                   L"암호 방식이 없기 때문입니다. 오래된 Windows라면 TLS 1.2가 켜져 있는지 확인하세요.";
        if (d.tls.wininet_error == 12044)
            return L"HTTPS 보안 연결을 맺지 못했습니다 (오류 12044): 서버가 클라이언트 인증서를 요구합니다.";
        if (d.tls.wininet_error)
            return format_text(L"HTTPS 보안 연결을 맺지 못했습니다 (인증서 오류 %d).", d.tls.wininet_error);
        return L"HTTPS 보안 연결을 맺지 못했습니다.";
    case FailureKind::http_status:
        return format_text(L"서버가 HTTP 상태 %d(으)로 응답했습니다%s", d.http_status, http_status_sentence(d.http_status));
    case FailureKind::answer_cut:
        return format_text(L"서버가 HTTP 상태 %d(으)로 응답했지만 응답 본문이 도중에 끊겼습니다: 서버나 중간 장비가 연결을 "
                           L"끊었습니다.",
                           d.http_status);
    case FailureKind::proxy_auth_required:
        return format_text(L"프록시 서버(%s)가 인증을 요구합니다 (HTTP 407).", masked_endpoint(to_utf8(d.proxy.proxy)).c_str());
    case FailureKind::not_connected:
        if (only_ipv6(d.name))
            return format_text(L"서버 이름(%s)에 IPv6 주소만 있는데 %d번 포트에 연결하지 못했습니다 (오류 %d): 이 PC나 네트워크에 "
                               L"IPv6 경로가 없을 수 있습니다.",
                               mask_host(d.name.host).c_str(), d.port, d.error_code);
        if (d.probe == ProbeOutcome::connected)
            return format_text(L"%d번 포트에 연결하지 못했습니다 (오류 %d). 진단용으로 다시 연결했을 때는 연결되었습니다: 연결이 "
                               L"간헐적으로 실패합니다.",
                               d.port, d.error_code);
        return format_text(L"%d번 포트에 연결하지 못했습니다 (오류 %d): 거부되었는지 응답이 없었는지는 알 수 없습니다.", d.port,
                           d.error_code);
    case FailureKind::other:
        return format_text(L"서버에 연결하지 못했습니다 (오류 %d).", d.error_code);
    case FailureKind::none:
        break;
    }
    return std::wstring();
}

} // namespace

std::wstring cause_line(const ItemDiagnosis& d, const AttemptTally& tally)
{
    // Every attempt succeeded (an item passes as soon as one has).
    if (!d.diagnosed || tally.successes >= tally.attempts || d.failure == FailureKind::none)
        return std::wstring();

    std::wstring line;
    if (tally.successes > 0)
        line = format_text(L"%d번 중 %d번 실패: ", tally.attempts, tally.attempts - tally.successes);

    // A line that blocks the name is the reason, and the server is not to
    // blame: nothing else is said. Its address is no one's private data and is
    // shown as written.
    if (hosts_line_blocks(d))
        return line + format_text(L"hosts 파일 %d번째 줄이 이 이름을 막고 있습니다 (%s).", d.hosts.line,
                                  from_utf8(d.hosts.address).c_str());
    // A stale hosts-file line is the classic reason: it comes first.
    if (d.hosts.mapped) {
        line += format_text(L"hosts 파일 %d번째 줄이 이 이름을 %s(으)로 보냅니다", d.hosts.line,
                            masked(d.hosts.address).c_str());
        line += hosts_address_differs(d) ? L" (DNS 조회 결과와 다름). " : L". ";
    }
    line += failure_cause(d);

    if (d.tls.outside_validity)
        line += L" " + clock_sentence(d.tls);
    const std::wstring certificate = certificate_sentence(d.tls);
    if (!certificate.empty())
        line += L" " + certificate;
    if (d.proxy.via_proxy && d.failure != FailureKind::proxy_auth_required && proxy_cause(d).empty())
        line += format_text(L" (프록시 %s 경유)", masked_endpoint(to_utf8(d.proxy.proxy)).c_str());
    const std::wstring pac = pac_sentence(d.proxy);
    if (!pac.empty())
        line += L" " + pac;
    return line;
}

std::wstring caution_line(const ItemDiagnosis& d)
{
    if (!d.diagnosed || !d.cause.empty())
        return std::wstring();
    std::wstring line = d.tls.outside_validity ? clock_sentence(d.tls) : std::wstring();
    const std::wstring certificate = certificate_sentence(d.tls);
    if (!certificate.empty())
        line += (line.empty() ? L"" : L" ") + certificate;
    const std::wstring pac = pac_sentence(d.proxy);
    if (!pac.empty())
        line += (line.empty() ? L"" : L" ") + pac;
    return line;
}

bool hosts_address_differs(const ItemDiagnosis& d)
{
    if (!d.hosts.mapped)
        return false;
    for (const std::string& a : d.name.addresses)
        if (same_ip_address(a, d.hosts.address))
            return false;
    return true;
}

bool hosts_line_blocks(const ItemDiagnosis& d)
{
    if (!d.hosts.mapped || !is_blocking_address(d.hosts.address))
        return false;
    // This PC's own names may well point at loopback.
    std::wstring name;
    for (wchar_t c : d.name.host)
        name += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    while (!name.empty() && name.back() == L'.')
        name.pop_back();
    const std::wstring local = L"localhost";
    const bool own = name == local ||
                     (name.size() > local.size() && name.compare(name.size() - local.size() - 1, std::wstring::npos,
                                                                 L"." + local) == 0);
    return !own;
}
