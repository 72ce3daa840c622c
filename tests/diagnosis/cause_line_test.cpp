// Cause lines and report blocks built from diagnosis values: the texts a support
// engineer reads, compared word for word.
#include <gtest/gtest.h>

#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/failure_kind.h"

namespace {

ItemDiagnosis failed(FailureKind kind, FailurePhase phase, int port = 7002)
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"gw.vantu.test";
    d.name.outcome = LookupOutcome::resolved;
    d.name.addresses = {"10.20.30.40"};
    d.hosts.state = HostsFileState::read;
    d.failure = kind;
    d.phase = phase;
    d.port = port;
    return d;
}

// Three attempts, none of them passed.
const AttemptTally kNoneOf3{3, 0};

} // namespace

TEST(CauseLine, SaysWhyForEachKindOfFailure)
{
    ItemDiagnosis d = failed(FailureKind::refused, FailurePhase::connect);
    EXPECT_EQ(cause_line(d, kNoneOf3), L"7002번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다.");

    d = failed(FailureKind::timed_out, FailurePhase::connect);
    d.timeout_ms = 2000;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"7002번 포트가 2초 안에 응답하지 않았습니다: 방화벽이 연결을 막고 있을 수 있습니다.");

    d = failed(FailureKind::timed_out, FailurePhase::key_exchange);
    d.timeout_ms = 10000;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"연결은 되었지만 암호화 키 교환 중 서버가 10초 안에 응답하지 않았습니다.");

    d = failed(FailureKind::reset, FailurePhase::key_exchange);
    EXPECT_EQ(cause_line(d, kNoneOf3),
              L"암호화 키 교환 중 연결이 재설정되었습니다: 서버나 중간의 방화벽·보안 장비가 연결을 끊었습니다.");

    d = failed(FailureKind::closed_by_peer, FailurePhase::handshake);
    EXPECT_EQ(cause_line(d, kNoneOf3), L"시작 신호 교환 중 서버가 연결을 닫았습니다.");

    // 10053 is this PC's own stack giving up, not the server closing.
    d = failed(FailureKind::aborted_here, FailurePhase::key_exchange);
    d.error_code = 10053;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"암호화 키 교환 중 이 PC가 연결을 중단했습니다 (오류 10053): 이 PC의 방화벽이나 "
                                       L"보안 프로그램이 연결을 끊었을 수 있습니다.");

    d = failed(FailureKind::wrong_answer, FailurePhase::handshake);
    d.answer = 0;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"서버가 시작 신호에 다른 응답(명령 0)을 보냈습니다: 이 포트에서 다른 서비스가 응답하고 있을 수 있습니다.");

    // A status line that came with a body that broke off.
    d = failed(FailureKind::answer_cut, FailurePhase::request, 443);
    d.http_status = 200;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"서버가 HTTP 상태 200(으)로 응답했지만 응답 본문이 도중에 끊겼습니다: 서버나 중간 "
                                       L"장비가 연결을 끊었습니다.");
    EXPECT_STREQ(failure_party(d), "server");

    // The common statuses say what they mean; the others only the status.
    d = failed(FailureKind::http_status, FailurePhase::request, 443);
    const std::pair<int, const wchar_t*> statuses[] = {
        {401, L"서버가 HTTP 상태 401(으)로 응답했습니다: 서버가 인증을 요구합니다."},
        {403, L"서버가 HTTP 상태 403(으)로 응답했습니다: 서버가 이 요청을 허용하지 않습니다."},
        {404, L"서버가 HTTP 상태 404(으)로 응답했습니다: 웹 서버는 동작하지만 요청한 경로가 없습니다."},
        {500, L"서버가 HTTP 상태 500(으)로 응답했습니다: 웹 서버는 동작하지만 요청을 처리하다 오류가 났습니다."},
        {503, L"서버가 HTTP 상태 503(으)로 응답했습니다: 서버가 지금 요청을 처리할 수 없습니다 (과부하나 점검 중일 수 있음)."},
        {418, L"서버가 HTTP 상태 418(으)로 응답했습니다."},
    };
    for (const auto& [status, line] : statuses) {
        d.http_status = status;
        EXPECT_EQ(cause_line(d, kNoneOf3), line);
    }
}

TEST(CauseLine, NamesHostsFileAndLookUpBeforeTheFailure)
{
    ItemDiagnosis d = failed(FailureKind::name_not_resolved, FailurePhase::connect);
    d.name.outcome = LookupOutcome::not_found;
    d.name.addresses.clear();
    EXPECT_EQ(cause_line(d, kNoneOf3), L"DNS에서 서버 이름(gw***********)을 찾을 수 없습니다.");

    d.name.outcome = LookupOutcome::resolved;
    d.name.addresses = {"fe80::1"};
    EXPECT_EQ(cause_line(d, kNoneOf3), L"서버 이름(gw***********)에 IPv6 주소만 있어 IPv4로 연결할 수 없습니다.");

    // A stale hosts line: its address is not what DNS gives.
    d = failed(FailureKind::timed_out, FailurePhase::connect);
    d.timeout_ms = 2000;
    d.hosts.mapped = true;
    d.hosts.address = "192.168.1.9";
    d.hosts.line = 23;
    EXPECT_TRUE(hosts_address_differs(d));
    EXPECT_EQ(cause_line(d, kNoneOf3), L"hosts 파일 23번째 줄이 이 이름을 192******9(으)로 보냅니다 (DNS 조회 결과와 다름). "
                             L"7002번 포트가 2초 안에 응답하지 않았습니다: 방화벽이 연결을 막고 있을 수 있습니다.");
    d.name.addresses = {"10.20.30.40", "192.168.1.9"};
    EXPECT_FALSE(hosts_address_differs(d));

    d = failed(FailureKind::invalid_name, FailurePhase::connect);
    d.name.outcome = LookupOutcome::invalid_name;
    d.name.invalid_reason = L"공백이 있음";
    EXPECT_EQ(cause_line(d, kNoneOf3), L"서버 주소가 올바른 호스트 이름이 아닙니다 (공백이 있음).");
}

TEST(CauseLine, AHostsLineThatBlocksANameIsNamedAndTheServerIsNotBlamed)
{
    ItemDiagnosis d = failed(FailureKind::refused, FailurePhase::connect);
    d.hosts.mapped = true;
    d.hosts.address = "0.0.0.0";
    d.hosts.line = 7;
    EXPECT_TRUE(hosts_line_blocks(d));
    EXPECT_EQ(cause_line(d, kNoneOf3), L"hosts 파일 7번째 줄이 이 이름을 막고 있습니다 (0.0.0.0).");
    EXPECT_EQ(hosts_match_text(d), L"line 7 -> 0.0.0.0, blocks the name");

    d.hosts.address = "::1";
    EXPECT_EQ(cause_line(d, AttemptTally{3, 1}), L"3번 중 2번 실패: hosts 파일 7번째 줄이 이 이름을 막고 있습니다 (::1).");

    // This PC's own names may point at loopback: that is no block.
    d.name.host = L"LocalHost.";
    d.hosts.address = "127.0.0.1";
    EXPECT_FALSE(hosts_line_blocks(d));
    d.name.host = L"agent.localhost";
    EXPECT_FALSE(hosts_line_blocks(d));
}

TEST(CauseLine, UnstableItemsCountTheirFailuresAndCleanPassesSayNothing)
{
    ItemDiagnosis d = failed(FailureKind::refused, FailurePhase::connect);
    EXPECT_EQ(cause_line(d, AttemptTally{3, 1}), L"3번 중 2번 실패: 7002번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 "
                             L"있습니다.");
    d.failure = FailureKind::none;
    EXPECT_EQ(cause_line(d, AttemptTally{3, 3}), L"");
}

TEST(CauseLine, InspectedCertificateAndProxyAreAdded)
{
    ItemDiagnosis d = failed(FailureKind::http_status, FailurePhase::request, 443);
    d.http_status = 407;
    d.failure = FailureKind::proxy_auth_required;
    d.proxy.known = true;
    d.proxy.via_proxy = true;
    d.proxy.proxy = L"10.0.0.1:8080";
    EXPECT_EQ(cause_line(d, kNoneOf3), L"프록시 서버(10****1:8080)가 인증을 요구합니다 (HTTP 407).");

    d = failed(FailureKind::tls_failure, FailurePhase::request, 443);
    d.tls.seen = true;
    d.tls.inspected = true;
    d.tls.inspected_by = L"Fortinet FortiGate";
    d.tls.wininet_error = 12045;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"HTTPS 보안 연결을 맺지 못했습니다 (인증서 오류 12045). HTTPS 인증서를 Fortinet FortiGate "
                             L"제품이 발급했습니다: 보안 장비가 HTTPS를 검사하고 있습니다.");

    // An issuer the check list does not expect; a root this PC lacks.
    d.tls.inspected_by.clear();
    EXPECT_EQ(cause_line(d, kNoneOf3), L"HTTPS 보안 연결을 맺지 못했습니다 (인증서 오류 12045). HTTPS 인증서의 발급자가 점검 "
                                       L"목록이 예상하는 발급자가 아닙니다: 중간에서 HTTPS를 검사하는 장비가 있을 수 있습니다.");
    d.tls.inspected = false;
    d.tls.untrusted_reason = UntrustedReason::unknown_root;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"HTTPS 보안 연결을 맺지 못했습니다 (인증서 오류 12045). 서버 인증서를 발급한 루트 인증 "
                                       L"기관을 이 PC가 신뢰하지 않습니다: 사설 인증 기관이라면 그 인증서가 이 PC에 설치되어 "
                                       L"있지 않습니다.");
    // A passed item with a self-signed certificate gets a caution, not a cause.
    ItemDiagnosis passed = d;
    passed.failure = FailureKind::none;
    passed.tls.untrusted_reason = UntrustedReason::self_signed;
    passed.cause = cause_line(passed, AttemptTally{3, 3});
    EXPECT_EQ(passed.cause, L"");
    EXPECT_EQ(caution_line(passed), L"서버 인증서가 자체 서명 인증서라서 이 PC가 신뢰하지 않습니다.");

    d.tls.untrusted_reason = UntrustedReason::none;
    d.tls.wininet_error = 12157;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"HTTPS 보안 연결을 맺지 못했습니다 (보안 채널 오류 12157): 대개 이 PC와 서버가 함께 쓸 수 있는 TLS "
                             L"버전이나 암호 방식이 없기 때문입니다. 오래된 Windows라면 TLS 1.2가 켜져 있는지 확인하세요.");

    d = failed(FailureKind::http_status, FailurePhase::request, 443);
    d.http_status = 404;
    d.tls.seen = true;
    d.tls.valid_from = L"2026-01-01 09:00:00";
    d.tls.valid_to = L"2027-01-01 08:59:59";
    d.tls.pc_time = L"2019-03-01 09:00:00";
    d.tls.outside_validity = true;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"서버가 HTTP 상태 404(으)로 응답했습니다: 웹 서버는 동작하지만 요청한 경로가 없습니다. 이 PC의 시계(2019-03-01 09:00:00)가 서버 인증서의 "
                             L"유효 기간(2026-01-01 09:00:00 ~ 2027-01-01 08:59:59) 밖에 있습니다: PC의 날짜와 시간이 "
                             L"틀렸거나 서버 인증서가 만료되었습니다.");
    d.cause = cause_line(d, kNoneOf3);
    EXPECT_EQ(caution_line(d), L"") << "a failed item's cause line says it already";

    // The same certificate on a web check that passed: a caution, no cause.
    d.failure = FailureKind::none;
    d.cause = cause_line(d, AttemptTally{3, 3});
    EXPECT_EQ(d.cause, L"");
    EXPECT_EQ(caution_line(d), L"이 PC의 시계(2019-03-01 09:00:00)가 서버 인증서의 유효 기간(2026-01-01 09:00:00 ~ "
                               L"2027-01-01 08:59:59) 밖에 있습니다: PC의 날짜와 시간이 틀렸거나 서버 인증서가 "
                               L"만료되었습니다.");
    d.tls.outside_validity = false;
    EXPECT_EQ(caution_line(d), L"");
}

TEST(DiagnosisReport, FailedItemsComeFirstWithMaskedAddresses)
{
    ItemDiagnosis passed;
    passed.diagnosed = true;
    passed.name.host = L"10.0.0.1";
    passed.name.outcome = LookupOutcome::literal;
    passed.name.addresses = {"10.0.0.1"};
    passed.hosts.state = HostsFileState::missing;
    passed.port = 7001;
    passed.local_address = "10.0.0.77:50123";

    ItemDiagnosis refused = failed(FailureKind::refused, FailurePhase::connect);
    refused.error_code = 10061;
    refused.cause = cause_line(refused, kNoneOf3);

    const std::wstring section = diagnosis_report_section(
        {DiagnosedItem{L"세션", L"Ok", DiagnosisOrder::other, passed, AttemptTally{3, 3}},
         DiagnosedItem{L"게이트웨이", L"Fail", DiagnosisOrder::failed, refused, kNoneOf3}});
    EXPECT_EQ(section,
              L"[Server Diagnosis]\n"
              L"Fail        게이트웨이  gw***********:7002\n"
              L"  cause       : 7002번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다.\n"
              L"  name        : gw*********** -> 10******40 (0ms)\n"
              L"  hosts file  : no entry for this name\n"
              L"  last failure: refused (connect, error 10061)\n"
              L"  attempts    : 0 of 3 succeeded\n"
              L"Ok          세션  10****1:7001\n"
              L"  name        : 10****1 (address, no look-up)\n"
              L"  hosts file  : no hosts file\n"
              L"  attempts    : 3 of 3 succeeded\n"
              L"  local end   : 10****77:50123\n"
              L"\n");
}

// Through a proxy, the connection WinINet makes is the proxy's: its failures
// name the proxy, masked, and the JSON's party says so.
TEST(CauseLine, FailuresThroughAProxyNameTheProxyAndEachHasItsParty)
{
    ItemDiagnosis d = failed(FailureKind::refused, FailurePhase::request, 443);
    EXPECT_STREQ(failure_party(d), "server");
    d.proxy.known = true;
    d.proxy.via_proxy = true;
    d.proxy.proxy = L"10.0.0.1:3128";
    EXPECT_STREQ(failure_party(d), "proxy");
    EXPECT_EQ(cause_line(d, kNoneOf3), L"프록시 서버(10****1:3128)가 연결을 거부했습니다: 프록시 서비스가 멈췄거나 프록시 "
                                       L"설정의 포트가 틀렸습니다.");
    d.failure = FailureKind::timed_out;
    d.timeout_ms = 5000;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"프록시 서버(10****1:3128)가 5초 안에 응답하지 않았습니다.");
    d.failure = FailureKind::name_not_resolved;
    EXPECT_EQ(cause_line(d, kNoneOf3), L"프록시 서버(10****1:3128)의 이름을 찾을 수 없습니다: 이 PC의 프록시 설정을 "
                                       L"확인하세요.");
    // The server's own answer through the proxy stays the server's.
    d.failure = FailureKind::http_status;
    d.http_status = 503;
    EXPECT_STREQ(failure_party(d), "server");

    const struct
    {
        FailureKind kind;
        FailurePhase phase;
        const char* party;
    } direct[] = {
        {FailureKind::timed_out, FailurePhase::connect, "network"},
        {FailureKind::timed_out, FailurePhase::handshake, "server"},
        {FailureKind::unreachable, FailurePhase::connect, "network"},
        {FailureKind::name_not_resolved, FailurePhase::connect, "network"},
        {FailureKind::aborted_here, FailurePhase::key_exchange, "pc"},
        {FailureKind::no_socket, FailurePhase::connect, "pc"},
        {FailureKind::wrong_answer, FailurePhase::handshake, "server"},
        {FailureKind::none, FailurePhase::none, ""},
    };
    for (const auto& row : direct) {
        ItemDiagnosis x = failed(row.kind, row.phase);
        EXPECT_STREQ(failure_party(x), row.party) << failure_kind_name(row.kind);
    }
}
