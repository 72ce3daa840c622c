// marlocheck.exe as a management tool meets it, under Wine against the test
// server: exit statuses, the printed lines, the JSON file, a local check list,
// Ctrl+C and the log archive.
#include "console/marlocheck_test_support.h"

#include <rapidjson/document.h>

namespace {

using namespace console_test;

rapidjson::Document read_json(const std::wstring& path)
{
    rapidjson::Document doc;
    const std::string text = archive_test::read_file(path);
    doc.Parse(text.c_str());
    EXPECT_FALSE(doc.HasParseError()) << "not JSON: " << text;
    EXPECT_TRUE(doc.IsObject());
    return doc;
}

class MarlocheckTest : public ConsoleServerTest
{
protected:
    void SetUp() override
    {
        ConsoleServerTest::SetUp();
        DeleteFileW(served_checklist_path().c_str());
    }
    // The web items ask for "/", which the test server answers 404 unless told.
    void answer_web_items_with_200(int times = 30, int delay_ms = 0)
    {
        server_call(L"/__control/rule?path=/&status=200&body=ok&times=" + std::to_wstring(times) +
                        L"&delay_ms=" + std::to_wstring(delay_ms),
                    L"POST");
    }
};

} // namespace

TEST_F(MarlocheckTest, EveryItemPassingEndsWithZeroAndOneLinePerItem)
{
    serve_checklist(check_list(" \"gateway\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + "],\n \"session\": [" +
                               entry(L"VANTU_TS_TQS_OK_PORT") + ", " + entry(L"VANTU_TS_PLAIN_PORT") + "],\n \"web\": [" +
                               entry(L"VANTU_TS_HTTP_PORT") + "]"));
    answer_web_items_with_200();
    const RunResult r = run_marlocheck(web_host_option());
    EXPECT_EQ(r.status, 0u) << r.out << r.err;
    ASSERT_EQ(r.lines.size(), 6u) << r.out; // account, gateway, two sessions, web, summary
    EXPECT_TRUE(contains(r.lines[0], L"계정 권한")) << r.lines[0];
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(r.lines[i].substr(0, 4), "Ok  ") << r.lines[i];
    EXPECT_TRUE(contains(r.lines[1], L"중계 서버  127****1:" + std::to_wstring(test_server_port(L"VANTU_TS_TQS_OK_PORT"))))
        << r.lines[1];
    EXPECT_TRUE(contains(r.lines[5], L"모든 체크가 완료되었습니다.")) << r.lines[5];
    EXPECT_TRUE(contains(r.lines[5], L"진단 실패 항목이 없습니다.")) << r.lines[5];
    EXPECT_EQ(checklist_requests(), 1);
}

TEST_F(MarlocheckTest, OneFailingItemEndsWithOneAndTheJsonHasAnEntryPerItem)
{
    serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + ", " +
                               entry(L"VANTU_TS_TQS_WRONG_COMMAND_PORT") + "],\n \"web\": [" + entry(L"VANTU_TS_HTTP_PORT") +
                               "],\n \"proxy\": [" + entry(L"VANTU_TS_HTTP_PORT") + "]"));
    // The proxy item asks first and gets the 200; the web item then gets 404.
    answer_web_items_with_200(3);
    const std::wstring json = scratch / L"결과 폴더\\results.json";
    CreateDirectoryW((scratch / L"결과 폴더").c_str(), nullptr);
    const RunResult r = run_marlocheck(web_host_option() + L" --json \"" + json + L"\"");
    EXPECT_EQ(r.status, 1u) << r.out << r.err;
    // Each failed item is followed by its cause.
    ASSERT_EQ(r.lines.size(), 8u) << r.out;
    EXPECT_TRUE(contains(r.lines[3], L"Fail        세션 서버  127****1:")) << r.lines[3];
    EXPECT_TRUE(contains(r.lines[3], L"error 90106  서버 응답이 올바르지 않습니다.")) << r.lines[3];
    EXPECT_EQ(from_utf8(r.lines[4]), L"            원인: 서버가 시작 신호에 다른 응답(명령 0)을 보냈습니다: 이 포트에서 "
                                     L"다른 서비스가 응답하고 있을 수 있습니다.");
    EXPECT_TRUE(contains(r.lines[5], L"Fail        웹 서버  127****1:")) << r.lines[5];
    EXPECT_TRUE(contains(r.lines[5], L"error 404  Not Found")) << r.lines[5];
    EXPECT_EQ(from_utf8(r.lines[6]), L"            원인: 서버가 HTTP 상태 404(으)로 응답했습니다: 웹 서버는 동작하지만 요청한 경로가 없습니다.");
    EXPECT_TRUE(contains(r.lines[7], L"실패 2")) << r.lines[7];

    rapidjson::Document doc = read_json(json);
    ASSERT_TRUE(doc.IsObject());
    EXPECT_EQ(std::string(doc["source"].GetString()),
              "http://127.0.0.1:" + std::to_string(test_server_port(L"VANTU_TS_HTTP_PORT")) + "/download/checklist.json");
    EXPECT_TRUE(doc["completed"].GetBool());
    EXPECT_EQ(doc["failed"].GetInt(), 2);
    EXPECT_EQ(std::string(doc["start"].GetString()).size(), 19u);
    const auto& items = doc["items"];
    ASSERT_TRUE(items.IsArray());
    ASSERT_EQ(items.Size(), 5u) << "one entry per check item";
    struct Expected
    {
        const char* kind;
        int port;
        int code;
        const char* verdict;
    };
    const Expected expected[] = {
        {"account", 0, 0, "Ok"},
        {"proxy", test_server_port(L"VANTU_TS_HTTP_PORT"), 0, "Ok"},
        {"session", test_server_port(L"VANTU_TS_TQS_OK_PORT"), 0, "Ok"},
        {"session", test_server_port(L"VANTU_TS_TQS_WRONG_COMMAND_PORT"), 90106, "Fail"},
        {"web", test_server_port(L"VANTU_TS_HTTP_PORT"), 404, "Fail"},
    };
    for (rapidjson::SizeType i = 0; i < items.Size(); ++i) {
        const auto& item = items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(item["kind"].GetString()), expected[i].kind);
        EXPECT_EQ(item["port"].GetInt(), expected[i].port);
        EXPECT_EQ(item["result_code"].GetInt(), expected[i].code);
        EXPECT_EQ(std::string(item["verdict"].GetString()), expected[i].verdict);
        EXPECT_TRUE(item["ran"].GetBool());
        if (i > 0) {
            EXPECT_EQ(std::string(item["host"].GetString()), "127****1");
            EXPECT_GE(item["attempts"].GetInt(), 1);
            EXPECT_GE(item["total_ms"].GetInt(), item["longest_ms"].GetInt());
        }
    }
    EXPECT_EQ(items[3]["attempts"].GetInt(), 3);
    EXPECT_EQ(items[3]["successes"].GetInt(), 0);
    EXPECT_EQ(std::string(items[3]["hint"].GetString()),
              to_utf8(L"서버 응답이 올바르지 않습니다. [로그 저장] 후 담당자에게 전달해주세요."));
    EXPECT_EQ(std::string(items[4]["result_text"].GetString()), "Not Found");
    EXPECT_EQ(std::string(items[2]["result_text"].GetString()), to_utf8(L"성공"));
}

TEST_F(MarlocheckTest, AnAnswerWhoseBodyBreaksOffIsTheServersNotAConnectionFailure)
{
    serve_checklist(check_list(" \"web\": [" + entry(L"VANTU_TS_HTTP_PORT") + "]"));
    // "200 OK", 100000 bytes announced, the connection dropped after 5000.
    server_call(L"/__control/rule?path=/&status=200&size=100000&abort_after=5000&times=30", L"POST");
    const RunResult r = run_marlocheck(web_host_option());
    EXPECT_EQ(r.status, 1u) << r.out << r.err;
    ASSERT_GE(r.lines.size(), 3u) << r.out;
    EXPECT_TRUE(contains(r.lines[1], L"Fail        웹 서버  127****1:")) << r.lines[1];
    EXPECT_EQ(from_utf8(r.lines[2]), L"            원인: 서버가 HTTP 상태 200(으)로 응답했지만 응답 본문이 도중에 "
                                     L"끊겼습니다: 서버나 중간 장비가 연결을 끊었습니다.");
}

TEST_F(MarlocheckTest, NoUsableCheckListEndsWithTwo)
{
    {
        SCOPED_TRACE("nothing to download");
        const RunResult r = run_marlocheck(web_host_option());
        EXPECT_EQ(r.status, 2u) << r.out << r.err;
        EXPECT_TRUE(contains(r.err, L"checklist.json 파일을 다운로드하지 못했습니다.")) << r.err;
        EXPECT_TRUE(contains(r.err, L"에러코드 : 404")) << r.err;
        EXPECT_EQ(checklist_requests(), 2) << "a second attempt, as the dialog makes";
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    {
        SCOPED_TRACE("an error page instead of JSON");
        serve_checklist("<html>busy</html>");
        const RunResult r = run_marlocheck(web_host_option());
        EXPECT_EQ(r.status, 2u);
        EXPECT_TRUE(contains(r.err, L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = <html>busy</html>"))
            << r.err;
    }
    {
        SCOPED_TRACE("a required path missing");
        serve_checklist("{\"product path agent\": \"C:\\\\A\", \"agent log path\": \"C:\\\\L\"}");
        // An earlier run's results are not left for a tool to read as this run's.
        const std::wstring json = scratch / L"r.json";
        archive_test::write_file(json, "{\"completed\": true, \"items\": [{}]}");
        const RunResult r = run_marlocheck(web_host_option() + L" --json \"" + json + L"\"");
        EXPECT_EQ(r.status, 2u);
        EXPECT_TRUE(contains(r.err, L"\"product path viewer\" is empty.")) << r.err;
        rapidjson::Document doc = read_json(json);
        ASSERT_TRUE(doc.IsObject());
        EXPECT_FALSE(doc["completed"].GetBool());
        EXPECT_EQ(std::string(doc["error"].GetString()), "\"product path viewer\" is empty.");
        EXPECT_EQ(doc["items"].Size(), 0u);
    }
    {
        SCOPED_TRACE("a local file that is not there");
        const RunResult r = run_marlocheck(L"--checklist \"" + (scratch / L"없는 파일.json") + L"\"");
        EXPECT_EQ(r.status, 2u);
        EXPECT_TRUE(contains(r.err, L"없는 파일.json")) << r.err;
    }
    {
        SCOPED_TRACE("nothing listening");
        const RunResult r = run_marlocheck(L"--web-host 127.0.0.1:" + std::to_wstring(test_server_port(L"VANTU_TS_CLOSED_PORT")));
        EXPECT_EQ(r.status, 2u);
        EXPECT_TRUE(contains(r.err, L"에러코드 : 1232")) << r.err;
    }
}

TEST_F(MarlocheckTest, ALocalCheckListIsReadInsteadOfDownloading)
{
    // Written the way Notepad saves Unicode: UTF-16 with a byte-order mark.
    const std::wstring text = from_utf8(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + "]"));
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    const std::wstring file = scratch / L"점검 목록.json";
    archive_test::write_file(file, bytes);
    const std::wstring json = scratch / L"r.json";
    const RunResult r = run_marlocheck(L"--checklist \"" + file + L"\" --json \"" + json + L"\" " + web_host_option());
    EXPECT_EQ(r.status, 0u) << r.out << r.err;
    ASSERT_EQ(r.lines.size(), 3u) << r.out;
    EXPECT_TRUE(contains(r.lines[1], L"세션 서버")) << r.lines[1];
    EXPECT_EQ(checklist_requests(), 0) << "nothing is downloaded";
    rapidjson::Document doc = read_json(json);
    ASSERT_TRUE(doc.IsObject());
    EXPECT_EQ(from_utf8(doc["source"].GetString()), file);
    EXPECT_EQ(doc["items"].Size(), 2u);
}

TEST_F(MarlocheckTest, CtrlCStopsBetweenItemsAndEndsWithThree)
{
    // Four slow web items: each attempt is answered after two seconds.
    const std::string web = entry(L"VANTU_TS_HTTP_PORT");
    serve_checklist(check_list(" \"web\": [" + web + ", " + web + ", " + web + ", " + web + "]"));
    answer_web_items_with_200(30, 2000);
    const std::wstring json = scratch / L"stopped.json";
    Marlocheck m;
    ASSERT_TRUE(m.start(web_host_option() + L" --json \"" + json + L"\"", true));
    // The account item is done and the first web item under way.
    ASSERT_TRUE(wait_until([&] { return m.out_lines().size() >= 1; }, kRunLimitMs)) << m.out() << m.err();

    ASSERT_TRUE(send_ctrl_c(m.pid()));

    ASSERT_TRUE(m.finish());
    EXPECT_EQ(m.exit_code(), 3u) << m.out() << m.err();
    EXPECT_TRUE(contains(m.err(), L"중지 요청을 받았습니다.")) << m.err();
    const std::vector<std::string> lines = m.out_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(contains(lines.back(), L"사용자에 의해 진단이 취소되었습니다. 전체 5 중")) << lines.back();
    EXPECT_LT(lines.size(), 6u) << "items after the stop were run: " << m.out();

    rapidjson::Document doc = read_json(json);
    ASSERT_TRUE(doc.IsObject());
    EXPECT_FALSE(doc["completed"].GetBool());
    const auto& items = doc["items"];
    ASSERT_EQ(items.Size(), 5u);
    EXPECT_TRUE(items[0]["ran"].GetBool());
    EXPECT_TRUE(items[1]["ran"].GetBool()) << "the item under way finishes";
    EXPECT_FALSE(items[4]["ran"].GetBool());
}

TEST_F(MarlocheckTest, ASecondCtrlCEndsTheProgramWithoutWaitingForTheItem)
{
    // One web item whose attempts are each answered after 20 seconds.
    serve_checklist(check_list(" \"web\": [" + entry(L"VANTU_TS_HTTP_PORT") + "]"));
    answer_web_items_with_200(3, 20000);
    const std::wstring json = scratch / L"abandoned.json";
    Marlocheck m;
    ASSERT_TRUE(m.start(web_host_option() + L" --json \"" + json + L"\"", true));
    ASSERT_TRUE(wait_until([&] { return m.out_lines().size() >= 1; }, kRunLimitMs)) << m.out() << m.err();
    ASSERT_TRUE(send_ctrl_c(m.pid()));
    ASSERT_TRUE(wait_until([&] { return contains(m.err(), L"중지 요청을 받았습니다."); }, kRunLimitMs)) << m.err();
    ASSERT_TRUE(send_ctrl_c(m.pid()));
    ASSERT_TRUE(m.finish());
    EXPECT_EQ(m.exit_code(), 3u) << "an abandoned run is a stopped one: " << m.out() << m.err();
    EXPECT_EQ(m.out_lines().size(), 1u) << "the web item never finished: " << m.out();
    EXPECT_EQ(GetFileAttributesW(json.c_str()), INVALID_FILE_ATTRIBUTES) << "no results of an abandoned run";
}

TEST_F(MarlocheckTest, OptionsItDoesNotKnowEndWithSixtyFourAndTheUsage)
{
    RunResult r = run_marlocheck(L"--jsn out.json");
    EXPECT_EQ(r.status, 64u);
    EXPECT_NE(r.err.find("unknown option \"--jsn\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: marlocheck"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    r = run_marlocheck(L"--web-host");
    EXPECT_EQ(r.status, 64u);

    r = run_marlocheck(L"--help");
    EXPECT_EQ(r.status, 0u);
    EXPECT_NE(r.out.find("usage: marlocheck"), std::string::npos);
    EXPECT_NE(r.out.find("\r\n2 no usable check list"), std::string::npos) << "CR LF line ends: " << r.out;
    EXPECT_EQ(checklist_requests(), 0);
}

TEST_F(MarlocheckTest, AJsonFileThatCannotBeWrittenEndsWithFourAfterTheRun)
{
    serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + "]"));
    const RunResult r = run_marlocheck(web_host_option() + L" --json \"" + (scratch / L"no folder\\r.json") + L"\"");
    EXPECT_EQ(r.status, 4u) << r.out << r.err;
    EXPECT_EQ(r.lines.size(), 3u) << "the run itself is reported";
    EXPECT_TRUE(contains(r.err, L"cannot write the JSON file")) << r.err;
}
