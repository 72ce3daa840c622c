// The classification probe decided against a socket layer that behaves as
// Windows does: a closed port's refusal comes only after about two seconds of
// SYN retries, unless the stack was told not to retransmit.
#include <gtest/gtest.h>

#include <cerrno>

#include "check/diagnosis/cause_line.h"
#include "check/diagnosis/connect_probe.h"
#include "check/diagnosis/failure_kind.h"

namespace {

#ifdef _WIN32
constexpr int kRefused = 10061;
constexpr int kHostUnreachable = 10065;
#else
constexpr int kRefused = ECONNREFUSED;
constexpr int kHostUnreachable = EHOSTUNREACH;
#endif

enum class Port { listening, closed, dropped, no_route };

class WindowsLikeLayer final : public ConnectProbeLayer
{
public:
    explicit WindowsLikeLayer(Port port, bool accepts_syn_control = false)
        : m_port(port), m_accepts_syn_control(accepts_syn_control)
    {
    }

    bool resolve_ipv4(const std::string& host, std::uint32_t& address) override
    {
        resolved = host;
        address = 0x0A02120Au;
        return host != "v6only.lab";
    }
    socket_handle create_tcp() override { return 7; }
    bool no_syn_retransmissions(socket_handle) override
    {
        m_no_retries = m_accepts_syn_control;
        return m_accepts_syn_control;
    }
    bool connect_within(socket_handle, std::uint32_t, int port, int timeout_ms) override
    {
        connected_port = port;
        allowed_ms = timeout_ms;
        switch (m_port) {
        case Port::listening: return true;
        case Port::closed:
            // Refused after the retries (about two seconds), or at once without them.
            m_error = m_no_retries || timeout_ms >= 2100 ? kRefused : socket_api::error_timed_out();
            return false;
        case Port::dropped: m_error = socket_api::error_timed_out(); return false;
        case Port::no_route: m_error = kHostUnreachable; return false;
        }
        return false;
    }
    int last_error() override { return m_error; }
    void close(socket_handle) override { ++closed; }

    std::string resolved;
    int connected_port = 0;
    int allowed_ms = 0;
    int closed = 0;

private:
    Port m_port;
    bool m_accepts_syn_control;
    bool m_no_retries = false;
    int m_error = 0;
};

ItemDiagnosis connect_timed_out()
{
    ItemDiagnosis d;
    d.diagnosed = true;
    d.name.host = L"relay.lab";
    d.name.outcome = LookupOutcome::resolved;
    d.name.addresses = {"10.2.18.10"};
    d.failure = FailureKind::timed_out;
    d.phase = FailurePhase::connect;
    d.port = 7009;
    d.timeout_ms = 2000;
    return d;
}

} // namespace

TEST(ConnectProbe, AClosedPortIsRefusedWithinTheAllowanceWhereTheTwoSecondBoundSawSilence)
{
    WindowsLikeLayer closed(Port::closed);
    EXPECT_EQ(probe_connect(closed, "relay.lab", 7009, 2000), ProbeOutcome::no_answer); // the check's own bound
    EXPECT_EQ(probe_connect(closed, "relay.lab", 7009), ProbeOutcome::refused);
    EXPECT_EQ(closed.allowed_ms, 3000);
    EXPECT_EQ(closed.closed, 2);
    // Where the stack takes "no SYN retransmissions", the refusal is seen at once.
    WindowsLikeLayer quick(Port::closed, true);
    EXPECT_EQ(probe_connect(quick, "relay.lab", 7009, 500), ProbeOutcome::refused);

    WindowsLikeLayer dropped(Port::dropped), no_route(Port::no_route), open(Port::listening);
    EXPECT_EQ(probe_connect(dropped, "relay.lab", 7009), ProbeOutcome::no_answer);
    EXPECT_EQ(probe_connect(no_route, "relay.lab", 7009), ProbeOutcome::unreachable);
    EXPECT_EQ(probe_connect(open, "relay.lab", 7009), ProbeOutcome::connected);
    EXPECT_EQ(probe_connect(open, "v6only.lab", 7009), ProbeOutcome::no_address);
    EXPECT_EQ(probe_connect(open, "relay.lab", 70000), ProbeOutcome::failed);
}

TEST(ConnectProbe, TheProbeDecidesTheCauseOnlyWhereTheAttemptsCouldNot)
{
    ProbeTarget target;
    ItemDiagnosis d = connect_timed_out();
    ASSERT_TRUE(connect_probe_target(d, L"relay.lab", 7009, target));
    EXPECT_EQ(target.host, "relay.lab");
    EXPECT_EQ(target.port, 7009);
    apply_connect_probe(d, ProbeOutcome::refused);
    EXPECT_EQ(d.failure, FailureKind::refused);
    EXPECT_STREQ(failure_party(d), "server");
    EXPECT_EQ(cause_line(d, {3, 0}), L"7009번 포트가 연결을 거부했습니다: 서버의 서비스가 멈췄거나 포트가 닫혀 있습니다.");
    EXPECT_STREQ(probe_outcome_name(d.probe), "refused");

    // Silence stays silence; no route is the network's, not the server's.
    d = connect_timed_out();
    apply_connect_probe(d, ProbeOutcome::no_answer);
    EXPECT_EQ(cause_line(d, {3, 0}), L"7009번 포트가 2초 안에 응답하지 않았습니다: 방화벽이 연결을 막고 있을 수 있습니다.");
    d = connect_timed_out();
    apply_connect_probe(d, ProbeOutcome::unreachable);
    EXPECT_STREQ(failure_party(d), "network");
    EXPECT_EQ(cause_line(d, {3, 0}), L"서버까지 가는 네트워크 경로가 없습니다 (네트워크 또는 호스트에 도달할 수 없음).");

    // A web request WinINet could not connect, through a proxy: the probe goes
    // to the proxy, and what it finds is the proxy's.
    d = connect_timed_out();
    d.failure = FailureKind::not_connected;
    d.error_code = 12029;
    d.port = 443;
    d.proxy.known = d.proxy.via_proxy = true;
    d.proxy.proxy = L"[fd00:5e::4]:3128";
    ASSERT_TRUE(connect_probe_target(d, L"relay.lab", 443, target));
    EXPECT_EQ(target.host, "fd00:5e::4");
    EXPECT_EQ(target.port, 3128);
    EXPECT_EQ(cause_line(d, {3, 0}), L"프록시 서버(***********:3128)에 연결하지 못했습니다 (오류 12029).");
    apply_connect_probe(d, ProbeOutcome::refused);
    EXPECT_STREQ(failure_party(d), "proxy");

    // Nothing told: said as not known, never guessed; a probe that connected says so.
    d = connect_timed_out();
    d.failure = FailureKind::not_connected;
    d.error_code = 12029;
    d.port = 80;
    apply_connect_probe(d, ProbeOutcome::no_address);
    EXPECT_EQ(d.failure, FailureKind::not_connected);
    EXPECT_EQ(cause_line(d, {3, 0}), L"80번 포트에 연결하지 못했습니다 (오류 12029): 거부되었는지 응답이 없었는지는 알 수 없습니다.");
    apply_connect_probe(d, ProbeOutcome::connected);
    EXPECT_EQ(cause_line(d, {3, 0}), L"80번 포트에 연결하지 못했습니다 (오류 12029). 진단용으로 다시 연결했을 때는 연결되었습니다: "
                                      L"연결이 간헐적으로 실패합니다.");

    // A name with only IPv6 addresses leaves the probe nothing to try: the name says why.
    d.name.addresses = {"fd00:5e:3::10"};
    apply_connect_probe(d, ProbeOutcome::no_address);
    EXPECT_EQ(cause_line(d, {3, 0}), L"서버 이름(relay****)에 IPv6 주소만 있는데 80번 포트에 연결하지 못했습니다 (오류 12029): 이 PC나 "
                                      L"네트워크에 IPv6 경로가 없을 수 있습니다.");

    // No probe for a refusal already seen, a failure after the connect, or a proxy without a port.
    d = connect_timed_out();
    d.failure = FailureKind::refused;
    EXPECT_FALSE(connect_probe_target(d, L"relay.lab", 7009, target));
    d = connect_timed_out();
    d.phase = FailurePhase::key_exchange;
    EXPECT_FALSE(connect_probe_target(d, L"relay.lab", 7009, target));
    d = connect_timed_out();
    d.proxy.known = d.proxy.via_proxy = true;
    d.proxy.proxy = L"proxy.lab";
    EXPECT_FALSE(connect_probe_target(d, L"relay.lab", 7009, target));
}

TEST(CauseLine, AWebRequestThatTimedOutSaysHowFarItGot)
{
    ItemDiagnosis d = connect_timed_out();
    d.port = 443;
    d.phase = FailurePhase::tls;
    d.timeout_ms = 30000;
    EXPECT_EQ(cause_line(d, {3, 0}), L"연결은 되었지만 HTTPS 보안 연결 중 서버가 30초 안에 응답하지 않았습니다.");
    d.phase = FailurePhase::connect;
    d.timeout_ms = 5000;
    EXPECT_EQ(cause_line(d, {3, 0}), L"443번 포트가 5초 안에 응답하지 않았습니다: 방화벽이 연결을 막고 있을 수 있습니다.");
    EXPECT_STREQ(failure_party(d), "network");
}
