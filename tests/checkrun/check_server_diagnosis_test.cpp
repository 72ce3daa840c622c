// What the server check learns about each failure, against the test server's
// misbehaving ports: the kind from the real socket errors, where it happened,
// the local end, and the name look-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "check/diagnosis/failure_kind.h"
#include "check/run/check_run.h"
#include "checkrun/recording_view.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class CheckServerDiagnosisTest : public testing::Test
{
protected:
    RecordingView view;
    CCheckRun run{&view};

    ItemDiagnosis diagnose(const std::wstring& host, int port, bool socket_test = true)
    {
        run.m_check_groups.clear();
        run.m_check_groups.push_back({CCheckItem{}});
        CCheckItem item;
        item.title = L"세션 서버";
        item.host = host;
        item.port = port;
        item.kind_index = socket_test ? 4 : 6;
        item.socket_test = socket_test;
        run.m_check_groups.push_back({item});
        run.m_diagnosis.reset(L"");
        CCheckParam param(1, 0);
        run.check_server(param);
        last = param;
        const std::optional<ItemDiagnosis> d = run.outcome(1, 0).diagnosis;
        EXPECT_TRUE(d.has_value());
        EXPECT_EQ(run.outcome(1, 0).attempt_log.size(), static_cast<size_t>(param.attempt_count));
        return d.value_or(ItemDiagnosis());
    }

    CCheckParam last{-1, -1}; // the record of the last item diagnosed

    static int port(const char* name)
    {
        const char* v = std::getenv(name);
        EXPECT_TRUE(v) << name << " is not set: run this test through tests/support/with-testserver";
        return v ? std::atoi(v) : 0;
    }
};

// Wine may hand a reset that arrives before the first read to the program as an
// orderly close (no error, none pending); Windows and Linux report the reset.
bool under_wine()
{
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

std::string kind(const ItemDiagnosis& d)
{
    return std::string(failure_kind_name(d.failure)) + "/" + failure_phase_name(d.phase);
}

} // namespace

TEST_F(CheckServerDiagnosisTest, EachMisbehaviourHasItsKind)
{
    EXPECT_EQ(kind(diagnose(L"127.0.0.1", port("VANTU_TS_CLOSED_PORT"))), "refused/connect");
    const std::string reset = kind(diagnose(L"127.0.0.1", port("VANTU_TS_TQS_RESET_PORT")));
    if (under_wine())
        EXPECT_TRUE(reset == "reset/key-exchange" || reset == "closed-by-peer/key-exchange") << reset;
    else
        EXPECT_EQ(reset, "reset/key-exchange");
    EXPECT_EQ(kind(diagnose(L"127.0.0.1", port("VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT"))), "closed-by-peer/key-exchange");
    EXPECT_EQ(kind(diagnose(L"127.0.0.1", port("VANTU_TS_TQS_BAD_SESSION_KEY_PORT"))),
              "key-exchange-failed/key-exchange");

    const ItemDiagnosis wrong = diagnose(L"127.0.0.1", port("VANTU_TS_TQS_WRONG_COMMAND_PORT"));
    EXPECT_EQ(kind(wrong), "wrong-answer/handshake");
    EXPECT_EQ(wrong.answer, 0);
    EXPECT_EQ(wrong.local_address.rfind("127.0.0.1:", 0), 0u) << wrong.local_address;
    EXPECT_EQ(wrong.cause,
              L"서버가 시작 신호에 다른 응답(명령 0)을 보냈습니다: 이 포트에서 다른 서비스가 응답하고 있을 수 있습니다.");

    // No answer at all to the connection: the connect's 2-second bound.
    const ItemDiagnosis dropped = diagnose(L"127.0.0.1", port("VANTU_TS_TQS_DROP_PORT"));
    EXPECT_EQ(kind(dropped), "timed-out/connect");
    EXPECT_EQ(dropped.timeout_ms, 2000);
}

TEST_F(CheckServerDiagnosisTest, PassingItemsKeepTheirLocalEndAndNoCause)
{
    const ItemDiagnosis ok = diagnose(L"127.0.0.1", port("VANTU_TS_TQS_OK_PORT"));
    EXPECT_EQ(kind(ok), "none/none");
    EXPECT_EQ(last.success_count, 3);
    EXPECT_EQ(ok.cause, L"");
    EXPECT_EQ(ok.name.outcome, LookupOutcome::literal);

    const ItemDiagnosis plain = diagnose(L"localhost", port("VANTU_TS_PLAIN_PORT"));
    EXPECT_EQ(plain.name.outcome, LookupOutcome::resolved);
    EXPECT_NE(plain.name.addresses.size(), 0u);
    EXPECT_EQ(plain.local_address.rfind("127.0.0.1:", 0), 0u) << plain.local_address;
}

TEST_F(CheckServerDiagnosisTest, NamesThatDoNotResolveOrAreNoNames)
{
    // ".invalid" never resolves (RFC 6761).
    const ItemDiagnosis unknown = diagnose(L"no-such-host.invalid", 7001);
    EXPECT_EQ(kind(unknown), "name-not-resolved/connect");
    EXPECT_TRUE(unknown.name.outcome == LookupOutcome::not_found || unknown.name.outcome == LookupOutcome::no_data ||
                unknown.name.outcome == LookupOutcome::temporary_failure)
        << lookup_outcome_name(unknown.name.outcome);
    EXPECT_EQ(last.attempt_count, 3);

    const ItemDiagnosis blank = diagnose(L"gw vantu.test", 7001);
    EXPECT_EQ(kind(blank), "invalid-name/connect");
    EXPECT_EQ(blank.cause, L"서버 주소가 올바른 호스트 이름이 아닙니다 (공백이 있음).");
    EXPECT_EQ(kind(diagnose(std::wstring(300, L'a'), 7001)), "invalid-name/connect");
    EXPECT_EQ(kind(diagnose(L"서버.vantu.test", 7001)), "invalid-name/connect");
}

TEST_F(CheckServerDiagnosisTest, SwitchedOffLeavesNothing)
{
    run.m_diagnose = false;
    run.m_check_groups.clear();
    run.m_check_groups.push_back({CCheckItem{}});
    CCheckItem item;
    item.host = L"127.0.0.1";
    item.port = port("VANTU_TS_CLOSED_PORT");
    item.socket_test = true;
    item.kind_index = 4;
    run.m_check_groups.push_back({item});
    run.m_diagnosis.reset(L"");
    CCheckParam param(1, 0);
    run.check_server(param);
    EXPECT_FALSE(run.outcome(1, 0).diagnosis.has_value());
    EXPECT_EQ(param.result_code, 90103);
}
