// The proxy WinINet would take for a URL, and the table of TLS-inspecting
// products read as data.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/diagnosis_text.h"
#include "check/diagnosis/failure_kind.h"
#include "check/diagnosis/proxy_route.h"
#include "check/diagnosis/tls_inspectors.h"

namespace {

std::wstring route(const ProxySettings& s, bool https, const wchar_t* host)
{
    const ProxyRoute r = proxy_route_for(s, https, host);
    if (!r.known)
        return L"unknown";
    return r.via_proxy ? r.proxy : L"direct";
}

} // namespace

TEST(ProxyRoute, ServerListPerSchemeAndBypassList)
{
    ProxySettings s;
    EXPECT_EQ(route(s, false, L"a.test"), L"unknown");
    s.known = true;
    EXPECT_EQ(route(s, false, L"a.test"), L"direct");

    s.use_proxy = true;
    s.server = L"proxy.corp:8080";
    EXPECT_EQ(route(s, true, L"a.test"), L"proxy.corp:8080");

    s.server = L"http=p1:80;https=https://p2:8443";
    EXPECT_EQ(route(s, false, L"a.test"), L"p1:80");
    EXPECT_EQ(route(s, true, L"a.test"), L"p2:8443");
    s.server = L"ftp=p3:21";
    EXPECT_EQ(route(s, true, L"a.test"), L"direct");

    s.server = L"p:3128";
    s.bypass = L"*.vantu.test; 10.*;<local>";
    EXPECT_EQ(route(s, true, L"gw.VANTU.test"), L"direct");
    EXPECT_EQ(route(s, true, L"10.1.2.3"), L"direct");
    EXPECT_EQ(route(s, true, L"intranet"), L"direct");
    EXPECT_EQ(route(s, true, L"vantu.test.evil"), L"p:3128");
    EXPECT_TRUE(proxy_bypass_matches(L"*a*b*c", L"xxaxxbxxc"));
    EXPECT_FALSE(proxy_bypass_matches(L"*a*b*c", L"xxaxxbxx"));
}

TEST(TlsInspectors, TableRowsAndMatching)
{
    ASSERT_GE(tls_inspector_count, 30u);
    EXPECT_EQ(std::wstring(tls_inspectors[0].product), L"Fortinet FortiGate");
    EXPECT_EQ(std::wstring(tls_inspectors[0].issuer), L"FortiGate");
    std::set<std::wstring> issuers;
    for (std::size_t i = 0; i < tls_inspector_count; ++i) {
        EXPECT_FALSE(std::wstring(tls_inspectors[i].product).empty());
        EXPECT_GE(std::wstring(tls_inspectors[i].issuer).size(), 3u) << i;
        EXPECT_TRUE(issuers.insert(tls_inspectors[i].issuer).second) << "twice: " << i;
    }
    EXPECT_EQ(find_tls_inspector(L"CN=FortiGate CA Test, O=Fortinet"), L"Fortinet FortiGate");
    EXPECT_EQ(find_tls_inspector(L"CN=zscaler intermediate root ca, O=Zscaler Inc."), L"Zscaler");
    EXPECT_EQ(find_tls_inspector(L"CN=ESET SSL Filter CA"), L"ESET");
    EXPECT_EQ(find_tls_inspector(L"CN=R3, O=Let's Encrypt, C=US"), L"");
    EXPECT_EQ(find_tls_inspector(std::wstring(100000, L'x')), L"");

    // An issuer the check list does not expect is taken for inspection; an
    // expected one, in any letter case, is not; without the list nobody is.
    TlsCertificate c;
    c.seen = true;
    c.trust = CertificateTrust::trusted;
    c.issuer = L"CN=Corp Gateway CA, O=Corp";
    assess_certificate(c);
    EXPECT_FALSE(c.inspected);
    assess_certificate(c, {L"Vantu Issuing CA", L"DigiCert Global G2"});
    EXPECT_TRUE(c.inspected);
    EXPECT_EQ(c.inspected_by, L"");
    c.issuer = L"CN=vantu issuing ca, O=Vantu Inc.";
    assess_certificate(c, {L"Vantu Issuing CA", L"DigiCert Global G2"});
    EXPECT_FALSE(c.inspected);
}

// A chain the system distrusts only for time or revocation is no sign of
// inspection; the PC's clock outside the validity is named either way.
TEST(TlsInspectors, ExpiryAndTheClockAreNotInspection)
{
    struct Row
    {
        std::uint32_t chain_errors;
        const wchar_t* issuer;
        const wchar_t* pc_time;
        bool inspected;
        bool outside_validity;
        UntrustedReason reason;
    };
    const Row rows[] = {
        {0x1, L"CN=R3, O=Let's Encrypt", L"2019-03-01 09:00:00", false, true, UntrustedReason::none}, // clock behind
        {0x1, L"CN=R3, O=Let's Encrypt", L"2027-06-02 00:00:00", false, true, UntrustedReason::none}, // expired
        {0x4, L"CN=R3, O=Let's Encrypt", L"2026-12-09 12:00:00", false, false, UntrustedReason::none}, // revoked
        // A root this PC lacks, with a wrong clock too: a private CA, not inspection.
        {0x1 | 0x20, L"CN=Corp Root", L"2027-06-02 00:00:00", false, true, UntrustedReason::unknown_root},
        {0x20, L"CN=localhost", L"2026-12-09 12:00:00", false, false, UntrustedReason::self_signed},
        {0x10000, L"CN=Corp Proxy CA", L"2026-12-09 12:00:00", false, false, UntrustedReason::incomplete_chain},
        {0x8, L"CN=Corp Proxy CA", L"2026-12-09 12:00:00", false, false, UntrustedReason::other}, // bad signature
        {0x1, L"CN=FortiGate CA Test, O=Fortinet", L"2026-12-09 12:00:00", true, false, UntrustedReason::none},
        {0x0, L"CN=R3, O=Let's Encrypt", L"", false, false, UntrustedReason::none}, // no clock read
    };
    for (const Row& row : rows) {
        TlsCertificate c;
        c.seen = true;
        c.issuer = row.issuer;
        c.subject = L"CN=localhost"; // self-signed where the issuer says so too
        c.chain_errors = row.chain_errors;
        c.trust = row.chain_errors ? CertificateTrust::untrusted : CertificateTrust::trusted;
        c.valid_from = L"2026-01-01 09:00:00";
        c.valid_to = L"2027-01-01 08:59:59";
        c.pc_time = row.pc_time;
        assess_certificate(c);
        EXPECT_EQ(c.inspected, row.inspected) << row.issuer << " " << row.chain_errors << " " << row.pc_time;
        EXPECT_EQ(c.outside_validity, row.outside_validity) << row.pc_time;
        EXPECT_EQ(c.untrusted_reason, row.reason) << row.issuer << " " << row.chain_errors;
    }
}

TEST(FailureKind, WinInetCodesAndStatuses)
{
    EXPECT_EQ(failure_from_wininet_error(12007), FailureKind::name_not_resolved);
    // "Cannot connect" is a refusal, silence or no route alike: never guessed.
    EXPECT_EQ(failure_from_wininet_error(12029), FailureKind::not_connected);
    EXPECT_EQ(failure_from_wininet_error(12002), FailureKind::timed_out);
    EXPECT_EQ(failure_from_wininet_error(12031), FailureKind::reset);
    EXPECT_EQ(failure_from_wininet_error(12030), FailureKind::closed_by_peer);
    EXPECT_EQ(failure_from_wininet_error(12045), FailureKind::tls_failure);
    EXPECT_EQ(failure_from_wininet_error(12157), FailureKind::tls_failure);
    EXPECT_EQ(failure_from_wininet_error(12152), FailureKind::wrong_answer);
    EXPECT_EQ(failure_from_wininet_error(12165), FailureKind::unreachable);
    EXPECT_EQ(failure_from_http_status(407), FailureKind::proxy_auth_required);
    EXPECT_EQ(failure_from_http_status(404), FailureKind::http_status);
}

TEST(FailureKind, AWebRequestsPhaseIsHowFarItGot)
{
    WebProgress p;
    EXPECT_EQ(web_failure_phase(p, true), FailurePhase::request); // nothing reported: as WinINet says
    p.reported = p.resolving = p.name_resolved = p.connecting = true;
    EXPECT_EQ(web_failure_phase(p, false), FailurePhase::connect);
    p.connected = true;
    EXPECT_EQ(web_failure_phase(p, true), FailurePhase::tls);
    EXPECT_EQ(web_failure_phase(p, false), FailurePhase::request);
    p.request_sent = true;
    EXPECT_EQ(web_failure_phase(p, true), FailurePhase::request);
    EXPECT_STREQ(failure_phase_name(FailurePhase::tls), "tls");
    EXPECT_STREQ(failure_kind_name(FailureKind::not_connected), "not-connected");
}

TEST(ProxyRoute, TheAutoConfigurationScriptsChoiceNamesTheProxyAsTheParty)
{
    ProxyRoute route;
    route.known = true;
    route.auto_config_url = L"file://C:/Users/kim/proxy.pac";
    apply_pac_answer(route, PacOutcome::proxy, L"  10.20.30.40:3128; 10.20.30.41:8080", 0);
    EXPECT_TRUE(route.via_proxy);
    EXPECT_EQ(route.proxy, L"10.20.30.40:3128");
    EXPECT_EQ(proxy_route_text(route), L"via proxy 10******40:3128; auto-configuration script proxy.pac: chose 10******40:3128");

    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"gw.vantu.test";
    d.port = 443;
    d.failure = FailureKind::refused;
    d.phase = FailurePhase::connect;
    d.proxy = route;
    EXPECT_STREQ(failure_party(d), "proxy");
    EXPECT_EQ(cause_line(d, {3, 0}), L"프록시 서버(10******40:3128)가 연결을 거부했습니다: 프록시 서비스가 멈췄거나 프록시 설정의 포트가 "
                                      L"틀렸습니다.");

    // A script that answers nothing usable is direct; one that fails is one clear line.
    apply_pac_answer(route, PacOutcome::proxy, L" ; ", 0);
    EXPECT_EQ(route.pac, PacOutcome::direct);
    route = ProxyRoute();
    route.known = true;
    route.auto_config_url = L"http://wpad.corp.example/proxy.pac";
    apply_pac_answer(route, PacOutcome::script_failed, L"", 12166);
    d.failure = FailureKind::none;
    d.proxy = route;
    EXPECT_EQ(caution_line(d), L"프록시 자동 구성 스크립트(http://wpad*************/proxy.pac)를 실행하지 못했습니다 (오류 12166): 스크립트가 "
                               L"올바른지 확인하세요.");
    EXPECT_STREQ(pac_outcome_name(PacOutcome::timed_out), "timed-out");
}

TEST(ProxyRoute, APeerThatClosesOrAnswersGarbageBeforeAnySecureChannelIsTheProxy)
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"web.vantu.test";
    d.port = 80;
    d.phase = FailurePhase::request;
    d.proxy.known = d.proxy.via_proxy = true;
    d.proxy.proxy = L"10.20.30.40:3132";
    d.failure = FailureKind::closed_by_peer;
    EXPECT_STREQ(failure_party(d), "proxy");
    EXPECT_EQ(cause_line(d, {3, 0}), L"프록시 서버(10******40:3132)가 응답 없이 연결을 닫았습니다.");
    d.failure = FailureKind::wrong_answer;
    EXPECT_STREQ(failure_party(d), "proxy");
    EXPECT_EQ(cause_line(d, {3, 0}), L"프록시 서버(10******40:3132)의 응답이 올바른 HTTP 응답이 아닙니다.");
    // Once the server's certificate came through the tunnel, the peer is the server.
    d.tls.seen = true;
    EXPECT_STREQ(failure_party(d), "server");
    EXPECT_EQ(cause_line(d, {3, 0}), L"서버의 HTTP 응답이 올바르지 않습니다. (프록시 10******40:3132 경유)");
    d.failure = FailureKind::reset;
    EXPECT_STREQ(failure_party(d), "network");
}

TEST(ProxyRoute, AStatusToAnHttpsTunnelRequestIsTheProxysAnswer)
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"nosuch.vantu.test";
    d.name.outcome = LookupOutcome::not_found;
    d.port = 443;
    d.url = L"https://nosuch.vantu.test:443/";
    d.phase = FailurePhase::request;
    d.failure = FailureKind::http_status;
    d.http_status = 503;
    d.web.reported = d.web.connected = d.web.request_sent = d.web.response_received = true;
    d.proxy.known = d.proxy.via_proxy = true;
    d.proxy.proxy = L"10.20.30.40:3128";
    EXPECT_STREQ(failure_party(d), "proxy");
    EXPECT_EQ(cause_line(d, {3, 0}), L"프록시 서버(10******40:3128)가 서버로 가는 연결 요청(CONNECT)에 HTTP 상태 503(으)로 "
                                      L"응답했습니다: 프록시가 서버에 닿지 못했거나 이 연결을 허용하지 않습니다.");
    // Through the opened tunnel the status is the server's; so it is for plain HTTP.
    d.web.secure_channel = true;
    EXPECT_STREQ(failure_party(d), "server");
    d.web.secure_channel = false;
    d.url = L"http://nosuch.vantu.test:80/";
    EXPECT_STREQ(failure_party(d), "server");
    EXPECT_EQ(cause_line(d, {3, 0}), L"서버가 HTTP 상태 503(으)로 응답했습니다: 서버가 지금 요청을 처리할 수 없습니다 (과부하나 점검 중일 수 "
                                      L"있음). (프록시 10******40:3128 경유)");
}
