// HttpRequest against the test server under Wine: real WinINet traffic over HTTP
// and HTTPS, scripted answers, downloads and failures.
#include "check/http/http_request.h"

#include "control_client_win.h"
#include "support/win/test_server.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using test_support::serve_checklist;
using test_support::test_server_port;

namespace {

const wchar_t kLoopback[] = L"127.0.0.1";

class HttpRequestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        http_port = test_server_port("VANTU_TS_HTTP_PORT");
        https_port = test_server_port("VANTU_TS_HTTPS_PORT");
        ASSERT_GT(http_port, 0) << "run under tests/support/with-testserver";
        ASSERT_EQ(control_request("POST", "/__control/reset").status, 200);
    }

    static void rule(const std::string& query)
    {
        ASSERT_EQ(control_request("POST", "/__control/rule?" + query).status, 200) << query;
    }

    static std::string requests() { return control_request("GET", "/__control/requests").body; }

    static int count_lines(const std::string& log, const std::string& line)
    {
        int n = 0;
        std::istringstream in(log);
        for (std::string l; std::getline(in, l);)
            n += l == line;
        return n;
    }

    int http_port = 0;
    int https_port = 0;
};

// A folder of its own below the system's temporary folder.
fs::path scratch_folder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    fs::path folder = fs::path(temp) / L"vantu-http-test" / name;
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    return folder;
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST_F(HttpRequestTest, ChecklistDownloadIsOneHttp10GetWithTheAgentName)
{
    const char* root = std::getenv("VANTU_TS_ROOT");
    ASSERT_NE(root, nullptr);
    serve_checklist("{\"web\":[\"10.0.0.1:80\"]}");

    HttpRequest request(L"http://127.0.0.1", http_port, L"download/checklist.json");
    request.perform(true);
    EXPECT_EQ(request.m_status, 200) << std::string(request.m_text.begin(), request.m_text.end());
    EXPECT_TRUE(request.is_success());
    EXPECT_EQ(request.m_text, L"{\"web\":[\"10.0.0.1:80\"]}");
    EXPECT_FALSE(request.m_https);
    EXPECT_EQ(request.m_host, L"127.0.0.1");
    EXPECT_EQ(request.m_path, L"/download/checklist.json");
    EXPECT_EQ(request.m_url, L"http://127.0.0.1:" + std::to_wstring(http_port) + L"/download/checklist.json");
    EXPECT_GE(request.m_elapsed_ms, 0);

    std::string log = requests();
    EXPECT_EQ(count_lines(log, "GET /download/checklist.json HTTP/1.0 request_url"), 1) << log;
    EXPECT_EQ(count_lines(log, log.substr(0, log.find('\n'))), 1) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;

    EXPECT_EQ(request.describe(), L"ip = 127.0.0.1, port = " + std::to_wstring(http_port) +
                                      L", sub_url = /download/checklist.json, is_https = 0, "
                                      L"additional_header = Content-Type: application/json; charset=utf-8\r\n, body = ");
}

TEST_F(HttpRequestTest, SchemeFollowsPrefixAndWellKnownPorts)
{
    // Port 0 with "http://": port 80. The pre-check keeps the test short when
    // nothing listens there; the URL is settled before it.
    HttpRequest plain(L"http://127.0.0.1", 0, L"");
    plain.perform(true);
    EXPECT_EQ(plain.m_url, L"http://127.0.0.1:80/");
    EXPECT_FALSE(plain.m_https);

    HttpRequest secure(kLoopback, 443, L"x", L"GET", false);
    secure.perform(true);
    EXPECT_TRUE(secure.m_https);
    EXPECT_EQ(secure.m_url, L"https://127.0.0.1:443/x");
}

TEST_F(HttpRequestTest, ShortHostAndImpossiblePortFailBeforeAnyTraffic)
{
    HttpRequest request(L"http://abcdef", http_port, L"/");
    request.perform(false);
    EXPECT_EQ(request.m_status, -1);
    EXPECT_EQ(request.m_text, L"Invalid IP address = abcdef");

    // 65536 more than the server's port must not wrap around to it.
    HttpRequest wrapped(kLoopback, 65536 + http_port, L"/", L"GET", false);
    wrapped.perform(false);
    EXPECT_EQ(wrapped.m_status, -1);
    EXPECT_EQ(wrapped.m_text, L"Invalid port = " + std::to_wstring(65536 + http_port));

    EXPECT_EQ(requests(), "");
}

TEST_F(HttpRequestTest, MethodsAreUpperCasedAndUnknownOnesRefused)
{
    HttpRequest post(kLoopback, http_port, L"__echo", L"post", false, {}, L"{\"이름\":\"점검\"}");
    post.perform(false);
    EXPECT_EQ(post.m_status, 200);
    EXPECT_EQ(post.m_method, L"POST");
    // The body went out as UTF-8 JSON with its content type.
    EXPECT_EQ(post.m_text, L"Content-Type: application/json; charset=utf-8\n{\"이름\":\"점검\"}");

    HttpRequest put(kLoopback, http_port, L"__echo", L"Put", false);
    put.perform(false);
    EXPECT_EQ(put.m_status, 200);
    HttpRequest del(kLoopback, http_port, L"gone", L"delete", false);
    del.perform(false);
    EXPECT_EQ(del.m_status, 404);

    HttpRequest patch(kLoopback, http_port, L"__echo", L"PATCH", false);
    patch.perform(false);
    EXPECT_EQ(patch.m_status, 405);
    EXPECT_EQ(patch.m_text, L"Unknown HTTP Request method(\"PATCH\")");

    std::string log = requests();
    EXPECT_EQ(count_lines(log, "POST /__echo HTTP/1.0 request_url"), 1) << log;
    EXPECT_EQ(count_lines(log, "PUT /__echo HTTP/1.0 request_url"), 1) << log;
    EXPECT_EQ(count_lines(log, "DELETE /gone HTTP/1.0 request_url"), 1) << log;
    EXPECT_EQ(log.find("PATCH"), std::string::npos) << log;
}

TEST_F(HttpRequestTest, ClientErrorsKeepTheirBodyRedirectsAndServerErrorsDoNot)
{
    rule("path=missing&status=404&body=" + url_encode("no such page"));
    rule("path=broken&status=500&body=server%20trace");
    rule("path=moved&status=302&body=elsewhere");

    HttpRequest request(kLoopback, http_port, L"missing", L"GET", false);
    request.m_text = L"before";
    request.perform(false);
    EXPECT_EQ(request.m_status, 404);
    EXPECT_TRUE(request.is_server_answer());
    EXPECT_EQ(request.m_text, L"no such page");

    for (const wchar_t* path : {L"broken", L"moved"}) {
        HttpRequest other(kLoopback, http_port, path, L"GET", false);
        other.m_text = L"before";
        other.perform(false);
        EXPECT_EQ(other.m_status, std::wstring(path) == L"broken" ? 500 : 302);
        EXPECT_EQ(other.m_text, L"before");
    }
}

TEST_F(HttpRequestTest, BomIsDroppedAndKoreanArrivesUnchanged)
{
    rule("path=bom&bom=1&body=" + url_encode("{\"k\":1}"));
    HttpRequest bom(kLoopback, http_port, L"bom", L"GET", false);
    bom.perform(false);
    EXPECT_EQ(bom.m_status, 200);
    EXPECT_EQ(bom.m_text, L"{\"k\":1}");

    ASSERT_EQ(GetACP(), 949u) << "runs under the Korean locale";
    rule("path=korean&bom=1&body=" + url_encode("{\"title\":\"원격 지원 점검 도구\",\"서버\":[\"웹\"]}"));
    HttpRequest korean(kLoopback, http_port, L"korean", L"GET", false);
    korean.perform(false);
    EXPECT_EQ(korean.m_status, 200);
    EXPECT_EQ(korean.m_text, L"{\"title\":\"원격 지원 점검 도구\",\"서버\":[\"웹\"]}");

    // The text passes through code page 949: what it cannot hold (an en dash, a
    // smiley) is replaced, the Hangul around it survives.
    rule("path=outside&body=" + url_encode("가\xE2\x80\x93\xF0\x9F\x98\x80나"));
    HttpRequest outside(kLoopback, http_port, L"outside", L"GET", false);
    outside.perform(false);
    EXPECT_EQ(outside.m_status, 200);
    ASSERT_GE(outside.m_text.size(), 3u);
    EXPECT_EQ(outside.m_text.front(), L'가');
    EXPECT_EQ(outside.m_text.back(), L'나');
    EXPECT_EQ(outside.m_text.find(L'\x2013'), std::wstring::npos);
    EXPECT_EQ(outside.m_text.find(L"\U0001F600"), std::wstring::npos);
    // The received bytes keep every character, for parsers.
    EXPECT_EQ(outside.m_received, "\xEA\xB0\x80\xE2\x80\x93\xF0\x9F\x98\x80\xEB\x82\x98");
    EXPECT_EQ(bom.m_received, "{\"k\":1}");
}

TEST_F(HttpRequestTest, SelfSignedAndExpiredCertificatesAreAccepted)
{
    rule("path=secure&body=" + url_encode("보안 연결"));
    for (const char* variable : {"VANTU_TS_HTTPS_PORT", "VANTU_TS_HTTPS_EXPIRED_PORT"}) {
        int port = test_server_port(variable);
        ASSERT_GT(port, 0) << variable;
        HttpRequest request(L"https://127.0.0.1", port, L"secure", L"GET", false);
        request.perform(false);
        EXPECT_TRUE(request.m_https);
        EXPECT_EQ(request.m_status, 200) << variable << " " << request.m_status;
        EXPECT_EQ(request.m_text, L"보안 연결") << variable;
    }
}

TEST_F(HttpRequestTest, PreCheckAgainstAClosedPortEndsWith1232)
{
    int closed = test_server_port("VANTU_TS_CLOSED_PORT");
    ASSERT_GT(closed, 0);
    EXPECT_FALSE(HttpRequest::is_reachable(kLoopback, closed, 2000));
    EXPECT_TRUE(HttpRequest::is_reachable(kLoopback, http_port, 2000));
    EXPECT_TRUE(HttpRequest::is_reachable(L"localhost", http_port, 2000));
    EXPECT_FALSE(HttpRequest::is_reachable(L"no-such-host.invalid", http_port, 2000));

    HttpRequest request(kLoopback, closed, L"download/checklist.json", L"GET", false);
    request.perform(true);
    EXPECT_EQ(request.m_status, 1232);
    EXPECT_EQ(request.m_text, L"서버에 연결할 수 없습니다.");

    // Without the pre-check the connection failure comes from WinINet itself.
    HttpRequest direct(kLoopback, closed, L"/", L"GET", false);
    direct.perform(false);
    EXPECT_EQ(direct.m_status, 12029);
    EXPECT_EQ(direct.m_text.rfind(L"HttpSendRequest failed. elapsed = ", 0), 0u);
    EXPECT_NE(direct.m_text.find(L"error code = 12029(" + error_text(12029) + L")"), std::wstring::npos);
}

TEST_F(HttpRequestTest, ChunkedLargeAndBrokenBodies)
{
    rule("path=chunked&chunked=1&size=100000&body=0123456789");
    HttpRequest chunked(kLoopback, http_port, L"chunked", L"GET", false);
    chunked.perform(false);
    EXPECT_EQ(chunked.m_status, 200);
    ASSERT_EQ(chunked.m_text.size(), 100000u);
    EXPECT_EQ(chunked.m_text.substr(99990), L"0123456789");

    rule("path=large&size=8000000&body=abcdefgh");
    HttpRequest large(kLoopback, http_port, L"large", L"GET", false);
    large.perform(false);
    EXPECT_EQ(large.m_status, 200);
    EXPECT_EQ(large.m_text.size(), 8000000u);

    // The server drops the connection after 5000 of 100000 announced bytes.
    rule("path=cut&size=100000&abort_after=5000");
    HttpRequest cut(kLoopback, http_port, L"cut", L"GET", false);
    cut.m_text = L"before";
    cut.perform(false);
    EXPECT_EQ(cut.m_status, -1);
    EXPECT_EQ(cut.m_text, L"InternetReadFile() failed.");
    EXPECT_EQ(cut.m_answered_status, 200) << "the server did answer";
    cut.reset();
    EXPECT_EQ(cut.m_answered_status, 0);

    // A body of 100 MB does not end up in memory.
    rule("path=huge&size=100000000");
    HttpRequest huge(kLoopback, http_port, L"huge", L"GET", false);
    huge.perform(false);
    EXPECT_EQ(huge.m_status, -1);
    EXPECT_EQ(huge.m_text, L"Response body too large.");
}

TEST_F(HttpRequestTest, SlowServerEndsWithTheReceiveTimeout)
{
    rule("path=slow&delay_ms=4000&body=late");
    HttpRequest request(kLoopback, http_port, L"slow", L"GET", false);
    request.m_timeout_ms = 1000;
    request.perform(false);
    // Windows reports the time-out (12002); Wine's WinINet reports the
    // connection it gave up as aborted (12030).
    EXPECT_TRUE(request.m_status == 12002 || request.m_status == 12030) << request.m_status;
    EXPECT_EQ(request.m_text.rfind(L"HttpSendRequest failed.", 0), 0u);
}

TEST_F(HttpRequestTest, AnHttpsServerThatNeverAnswersIsCutOffByTheProgramsOwnBound)
{
    // Accepts the connection and never sends a byte: WinINet's TLS handshake
    // waits for ever under Wine. Short limits keep the bound at 1 + 2 x 1 + 2 s.
    const char* silent = std::getenv("VANTU_TS_SILENT_443_HOST");
    ASSERT_NE(silent, nullptr) << "the test server serves no silent HTTPS address";
    HttpRequest request(L"https://" + std::wstring(silent, silent + std::strlen(silent)), 443, L"/");
    request.m_connect_timeout_ms = 1000;
    request.m_timeout_ms = 1000;
    request.perform(false);
    EXPECT_EQ(request.m_status, 12002);
    EXPECT_EQ(request.m_text.rfind(L"HttpSendRequest failed. elapsed = ", 0), 0u);
    EXPECT_NE(request.m_text.find(L"error code = 12002("), std::wstring::npos);
    // The record can be used again at once; the attempt left behind owns its own copy.
    rule("path=again&body=ok");
    HttpRequest again(kLoopback, http_port, L"again", L"GET", false);
    again.perform(false);
    EXPECT_EQ(again.m_status, 200);
}

TEST_F(HttpRequestTest, DownloadGoesToTheFileAndReplacesAnOldOne)
{
    fs::path folder = scratch_folder(L"download");
    fs::path target = folder / L"new" / L"sub" / L"checklist.json";
    rule("path=file&bom=1&body=" + url_encode("{\"파일\":1}"));

    HttpRequest request(kLoopback, http_port, L"file", L"GET", false, {}, L"", target.wstring());
    request.m_text = L"before";
    request.perform(false);
    EXPECT_EQ(request.m_status, 200);
    EXPECT_TRUE(request.m_text.empty());
    std::string expected = "\xEF\xBB\xBF{\"\xED\x8C\x8C\xEC\x9D\xBC\":1}";
    EXPECT_EQ(read_file(target), expected);
    EXPECT_EQ(request.m_bytes_written, expected.size());

    std::ofstream(target, std::ios::binary) << std::string(50000, 'x');
    rule("path=small&body=ab");
    HttpRequest again(kLoopback, http_port, L"small", L"GET", false, {}, L"", target.wstring());
    again.perform(false);
    EXPECT_EQ(again.m_status, 200);
    EXPECT_EQ(read_file(target), "ab");
    EXPECT_EQ(again.m_bytes_written, 2u);

    // A connection dropped in the middle leaves no half file that looks whole.
    rule("path=cut&size=100000&abort_after=5000");
    fs::path cut_target = folder / L"cut.bin";
    HttpRequest cut(kLoopback, http_port, L"cut", L"GET", false, {}, L"", cut_target.wstring());
    cut.perform(false);
    EXPECT_EQ(cut.m_status, -1);
    EXPECT_EQ(cut.m_text, L"InternetReadFile() failed.");
    EXPECT_FALSE(fs::exists(cut_target));
    EXPECT_EQ(cut.m_bytes_written, 0u);

    // An empty body creates no file: the file is made with the first chunk.
    rule("path=empty&body=");
    fs::path empty_target = folder / L"empty.json";
    HttpRequest empty(kLoopback, http_port, L"empty", L"GET", false, {}, L"", empty_target.wstring());
    empty.perform(false);
    EXPECT_EQ(empty.m_status, 200);
    EXPECT_FALSE(fs::exists(empty_target));
    EXPECT_EQ(empty.m_bytes_written, 0u);
    EXPECT_TRUE(empty.m_text.empty());
}

TEST_F(HttpRequestTest, DownloadFailuresNameTheFileAndTheCall)
{
    fs::path folder = scratch_folder(L"failures");
    rule("path=data&body=payload");

    // A folder of that name cannot be deleted.
    fs::path as_folder = folder / L"taken";
    fs::create_directories(as_folder);
    HttpRequest request(kLoopback, http_port, L"data", L"GET", false, {}, L"", as_folder.wstring());
    request.perform(false);
    EXPECT_EQ(request.m_status, -1);
    EXPECT_EQ(request.m_text, L"error=" + as_folder.wstring() + L"\n\nfail to DeleteFile().");

    // A file that another program holds open without sharing.
    fs::path locked = folder / L"locked.json";
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    HttpRequest busy(kLoopback, http_port, L"data", L"GET", false, {}, L"", locked.wstring());
    busy.perform(false);
    CloseHandle(holder);
    EXPECT_EQ(busy.m_status, -1);
    EXPECT_EQ(busy.m_text, L"error=" + locked.wstring() + L"\n\nfail to DeleteFile().");

    // Below a file: no folder can be made there, so the file cannot be created.
    fs::path plain_file = folder / L"plain.txt";
    std::ofstream(plain_file) << "x";
    fs::path below = plain_file / L"child.json";
    HttpRequest blocked(kLoopback, http_port, L"data", L"GET", false, {}, L"", below.wstring());
    blocked.perform(false);
    EXPECT_EQ(blocked.m_status, -1);
    EXPECT_EQ(blocked.m_text, L"error=" + below.wstring() + L"\n\nfail to CreateFile().");
    EXPECT_EQ(blocked.m_bytes_written, 0u);
}

TEST_F(HttpRequestTest, ResetPreparesAnotherAttempt)
{
    rule("path=first&status=404&body=a&times=1");
    HttpRequest request(kLoopback, http_port, L"first", L"GET", false);
    request.perform(false);
    EXPECT_EQ(request.m_status, 404);
    request.reset();
    EXPECT_EQ(request.m_status, -1);
    EXPECT_TRUE(request.m_text.empty());
    EXPECT_TRUE(request.m_url.empty());
    rule("path=first&body=second");
    request.perform(false);
    EXPECT_EQ(request.m_status, 200);
    EXPECT_EQ(request.m_text, L"second");
    // Performed twice, the content-type line is still there once.
    EXPECT_EQ(request.m_headers.size(), 1u);
}

TEST_F(HttpRequestTest, BrokenServersEndInAnOutcomeNotACrash)
{
    int raw_port = test_server_port("VANTU_TS_RAW_PORT");
    ASSERT_GT(raw_port, 0);
    auto fetch = [&](const wchar_t* path) {
        HttpRequest request(kLoopback, raw_port, path, L"GET", false);
        request.m_timeout_ms = 10000;
        request.perform(false);
        return request;
    };
    auto is_wininet_error = [](std::int32_t code) { return code >= 12000 && code <= 12174; };

    // Malformed header lines are passed over.
    HttpRequest garbage = fetch(L"garbage-headers");
    EXPECT_EQ(garbage.m_status, 200);
    EXPECT_EQ(garbage.m_text, L"survived");

    // A status line without a number is a failed status query: 0, never success.
    HttpRequest bad_status = fetch(L"bad-status");
    EXPECT_EQ(bad_status.m_status, kHttpStatusQueryFailed);
    EXPECT_EQ(bad_status.m_text, L"HttpQueryInfo(HTTP_QUERY_STATUS_CODE) failed.");
    EXPECT_FALSE(bad_status.is_success());
    EXPECT_FALSE(bad_status.is_server_answer());

    // A reset before any answer: WinINet's error, or no status to read.
    HttpRequest reset = fetch(L"reset");
    EXPECT_FALSE(reset.is_success());
    EXPECT_TRUE(reset.m_status == kHttpStatusQueryFailed || is_wininet_error(reset.m_status)) << reset.m_status;
    EXPECT_FALSE(reset.m_text.empty());

    // A length far beyond the body: no huge allocation, and a body cut short is
    // a failed read, not a success.
    HttpRequest lie = fetch(L"length-lie");
    EXPECT_EQ(lie.m_status, -1);
    EXPECT_EQ(lie.m_text, L"InternetReadFile() failed.");

    HttpRequest huge = fetch(L"huge-header");
    if (huge.m_status == 200)
        EXPECT_EQ(huge.m_text, L"after huge header");
    else
        EXPECT_TRUE(is_wininet_error(huge.m_status)) << huge.m_status;

    // Bytes that are not HTTP: WinINet reads them as a headerless answer or fails.
    HttpRequest noise = fetch(L"no-status-line");
    EXPECT_TRUE(noise.m_status == 200 || noise.m_status == kHttpStatusQueryFailed || is_wininet_error(noise.m_status))
        << noise.m_status;
}

TEST(HttpErrorText, WininetAndSystemMessagesTrimmed)
{
    std::wstring cannot_connect = error_text(12029);
    EXPECT_FALSE(cannot_connect.empty());
    std::wstring not_found = error_text(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(not_found.empty());
    EXPECT_NE(cannot_connect, not_found);
    for (const std::wstring& text : {cannot_connect, not_found, error_text(12002)}) {
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text, trim_message(text));
        EXPECT_NE(text.back(), L'\n');
    }
    EXPECT_EQ(error_text(0x7FFFFF00), L"");
}

}  // namespace
