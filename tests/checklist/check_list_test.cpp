// Reading checklist.json: paths, required members, server entries, group order and
// malformed documents.
#include <gtest/gtest.h>

#include <string>

#include "checklist/check_list.h"
#include "checklist/json_document.h"
#include "checklist/server_kinds.h"
#include "common/text_convert.h"

namespace {

const std::string kRequired =
    R"("product path agent": "C:\\Program Files\\Vantu\\Agent", "product path viewer": "C:\\Program Files\\Vantu\\Viewer", "agent log path": "C:\\Vantu\\Logs")";

CheckListParseResult parse(const std::string& body, const std::wstring& documents = L"D:\\Docs")
{
    return parse_check_list(body, from_utf8(body), default_server_kinds(), documents);
}

std::string with_required(const std::string& more)
{
    return "{" + kRequired + (more.empty() ? "" : ", " + more) + "}";
}

} // namespace

TEST(CheckList, OnlyRequiredPathsGiveTheAccountGroupAlone)
{
    const CheckListParseResult r = parse(with_required(""));
    ASSERT_TRUE(r.ok) << std::string(r.message.begin(), r.message.end());
    ASSERT_EQ(r.groups.size(), 1u);
    ASSERT_EQ(r.groups[0].size(), 1u);
    const CCheckItem& account = r.groups[0][0];
    EXPECT_EQ(account.title, L"계정 권한");
    EXPECT_EQ(account.host, L"");
    EXPECT_EQ(account.port, 0);
    EXPECT_EQ(account.kind_index, -1);
    EXPECT_TRUE(account.socket_test);
    EXPECT_EQ(account.list_row, -1);
    EXPECT_EQ(r.product_paths[0], L"C:\\Program Files\\Vantu\\Agent");
    EXPECT_EQ(r.product_paths[1], L"");
    EXPECT_EQ(r.product_paths[2], L"C:\\Program Files\\Vantu\\Viewer");
    EXPECT_EQ(r.log_paths[0], L"C:\\Vantu\\Logs");
    EXPECT_EQ(r.log_paths[1], L"");
}

TEST(CheckList, RequiredPathsAreCheckedInOrder)
{
    auto body = [](const char* agent, const char* viewer, const char* log) {
        std::string s = "{";
        if (agent)
            s += std::string("\"product path agent\": \"") + agent + "\",";
        if (viewer)
            s += std::string("\"product path viewer\": \"") + viewer + "\",";
        if (log)
            s += std::string("\"agent log path\": \"") + log + "\",";
        s += "\"other\": 1}";
        return s;
    };
    CheckListParseResult r = parse(body(nullptr, nullptr, nullptr));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, CheckListError::missing_path);
    EXPECT_EQ(r.message, L"\"product path agent\" is empty.");

    r = parse(body("", "v", "l"));
    EXPECT_EQ(r.message, L"\"product path agent\" is empty.");
    r = parse(body("a", "", "l"));
    EXPECT_EQ(r.message, L"\"product path viewer\" is empty.");
    r = parse(body("a", "v", nullptr));
    EXPECT_EQ(r.message, L"\"agent log path\" is empty.");
    r = parse(body("a", "v", "l"));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.message.empty());

    // The optional paths may be missing or empty without any message.
    r = parse(with_required(R"("product path agent web": "", "viewer log path": "")"));
    EXPECT_TRUE(r.ok);
}

TEST(CheckList, InvalidJsonQuotesTheResponseText)
{
    const std::string body = "<html>502 Bad Gateway</html>";
    const CheckListParseResult r = parse_check_list(body, L"<html>502 Bad Gateway</html>", default_server_kinds(), L"");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, CheckListError::invalid_json);
    EXPECT_EQ(r.message, L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = <html>502 Bad Gateway</html>");
    // Rejected lists still carry the account item.
    ASSERT_EQ(r.groups.size(), 1u);

    // An empty body is not JSON either: nothing follows "result = ".
    const CheckListParseResult empty = parse_check_list("", L"", default_server_kinds(), L"");
    EXPECT_EQ(empty.error, CheckListError::invalid_json);
    EXPECT_EQ(empty.message, L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = ");

    // A percent sign in the response is quoted as it is.
    const CheckListParseResult percent = parse_check_list("100%s", L"100%s %d", default_server_kinds(), L"");
    EXPECT_EQ(percent.message, L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = 100%s %d");
}

TEST(CheckList, ValidJsonThatIsNotAnObjectIsRejectedAsInvalid)
{
    for (const char* body : {"[]", "42", "\"text\"", "null", "true"}) {
        const CheckListParseResult r = parse(body);
        EXPECT_FALSE(r.ok) << body;
        EXPECT_EQ(r.error, CheckListError::invalid_json) << body;
    }
}

TEST(CheckList, ServerEntriesBecomeItemsOrAreDropped)
{
    const CheckListParseResult r = parse(with_required(
        R"("session": ["10.0.0.5:7002", "10.0.0.6"], "web": ["http://a.test", "HTTP://b.test", "https://c.test:8443"])"));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.groups.size(), 3u);

    const CheckGroup& session = r.groups[1];
    ASSERT_EQ(session.size(), 1u);
    EXPECT_EQ(session[0].title, L"세션 서버");
    EXPECT_EQ(session[0].host, L"10.0.0.5");
    EXPECT_EQ(session[0].port, 7002);
    EXPECT_EQ(session[0].kind_index, 4);
    EXPECT_TRUE(session[0].socket_test);

    const CheckGroup& web = r.groups[2];
    ASSERT_EQ(web.size(), 2u);
    EXPECT_EQ(web[0].title, L"웹 서버");
    EXPECT_EQ(web[0].host, L"http://a.test");
    EXPECT_EQ(web[0].port, 80);
    EXPECT_EQ(web[0].kind_index, 6);
    EXPECT_FALSE(web[0].socket_test);
    // The port written in a URL is not used.
    EXPECT_EQ(web[1].host, L"https://c.test:8443");
    EXPECT_EQ(web[1].port, 443);
}

TEST(CheckList, GroupsFollowTheKindOrderWhateverTheDocumentOrder)
{
    const CheckListParseResult r = parse(with_required(
        R"("web": ["w.test:80"], "update": ["u.test:80"], "session": ["s.test:7002"], "proxy": ["p.test:3128"],
           "ios": ["i.test:7100"], "gateway": ["g.test:7200"], "api": ["netapi.test:443"])"));
    ASSERT_TRUE(r.ok);
    const std::wstring titles[] = {L"계정 권한", L"API 서버", L"중계 서버", L"스트리밍 서버", L"프록시 서버",
                                   L"세션 서버", L"업데이트 서버", L"웹 서버"};
    const bool socket[] = {true, false, true, true, false, true, false, false};
    ASSERT_EQ(r.groups.size(), 8u);
    for (size_t g = 0; g < r.groups.size(); ++g) {
        EXPECT_EQ(r.groups[g][0].title, titles[g]);
        EXPECT_EQ(r.groups[g][0].kind_index, static_cast<int>(g) - 1);
        EXPECT_EQ(r.groups[g][0].socket_test, socket[g]) << g;
    }
}

TEST(CheckList, KindsWithoutUsableEntriesGiveNoGroup)
{
    const CheckListParseResult r = parse(with_required(
        R"("api": [], "gateway": "g.test:7200", "ios": {"a": 1}, "proxy": ["p.test", ":80", "p.test:0", "p.test:-5"],
           "session": [1, null, true, ["s:1"], {"h": "s:1"}, "s.test:7002"], "update": null)"));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.groups.size(), 2u);
    ASSERT_EQ(r.groups[1].size(), 1u);
    EXPECT_EQ(r.groups[1][0].host, L"s.test");
}

TEST(CheckList, PathsOfOtherTypesCountAsMissing)
{
    CheckListParseResult r = parse(R"({"product path agent": 5, "product path viewer": "v", "agent log path": "l"})");
    EXPECT_EQ(r.message, L"\"product path agent\" is empty.");
    r = parse(R"({"product path agent": "a", "product path viewer": ["v"], "agent log path": "l"})");
    EXPECT_EQ(r.message, L"\"product path viewer\" is empty.");
    r = parse(with_required(R"("viewer log path": {"x": 1}, "product path agent web": 1e400)"));
    // 1e400 is out of the double range: the parser rejects the document.
    EXPECT_FALSE(r.ok);
    r = parse(with_required(R"("viewer log path": {"x": 1}, "product path agent web": 123456789012345678901234567890)"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.log_paths[1], L"");
    EXPECT_EQ(r.product_paths[1], L"");
}

TEST(CheckList, DuplicateMembersTakeTheFirst)
{
    const CheckListParseResult r = parse(R"({"product path agent": "first", "product path agent": "second",
        "product path viewer": "v", "agent log path": "l", "session": ["a.test:1"], "session": ["b.test:2", "c.test:3"]})");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.product_paths[0], L"first");
    ASSERT_EQ(r.groups.size(), 2u);
    ASSERT_EQ(r.groups[1].size(), 1u);
    EXPECT_EQ(r.groups[1][0].host, L"a.test");
}

TEST(CheckList, MemberNamesMatchExactly)
{
    const CheckListParseResult r = parse(with_required(R"("Session": ["a.test:1"], "session ": ["b.test:2"])"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.groups.size(), 1u);
}

TEST(CheckList, DocumentsFolderTokenExpandsOnlyAtTheStart)
{
    const CheckListParseResult r = parse(
        R"({"product path agent": "a", "product path viewer": "v",
            "agent log path": "__user_documents_folder__\\Logs",
            "viewer log path": "C:\\x\\__user_documents_folder__",
            "product path agent web": "__user_documents_folder__\\A\\__user_documents_folder__"})",
        L"C:\\Users\\김민수\\Documents");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.log_paths[0], L"C:\\Users\\김민수\\Documents\\Logs");
    EXPECT_EQ(r.log_paths[1], L"C:\\x\\__user_documents_folder__");
    EXPECT_EQ(r.product_paths[1], L"C:\\Users\\김민수\\Documents\\A\\C:\\Users\\김민수\\Documents");

    // A required path made only of the token is not empty after expansion.
    EXPECT_EQ(expand_documents_token(L"__user_documents_folder__", L"D:\\Docs"), L"D:\\Docs");
    EXPECT_EQ(expand_documents_token(L"", L"D:\\Docs"), L"");
}

TEST(CheckList, TextKeepsEveryCharacterOfTheUtf8Body)
{
    // Hangul, characters outside code page 949 (Latin accents, Thai, an emoji) and
    // an escaped character all arrive unchanged.
    const std::string body = "\xEF\xBB\xBF" + with_required(
        "\"viewer log path\": \"C:\\\\Users\\\\\xEA\xB9\x80 Zo\xC3\xAB \xE0\xB8\x81 \xF0\x9F\x98\x80\\\\Logs\\u00e9\"");
    const CheckListParseResult r = parse(body);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.log_paths[1], L"C:\\Users\\김 Zoë ก \U0001F600\\Logs\u00e9");
}

TEST(CheckList, MalformedDocumentsNeverCrash)
{
    const std::string cases[] = {
        std::string(200000, '['),
        std::string(100000, '[') + std::string(100000, ']'),
        "{\"product path agent\": \"\xFF\xFE\"}",
        "{\"a\": \"unterminated",
        std::string("{\"product path agent\":\"a\0b\"}", 28),
        "{\"session\": [\"" + std::string(100000, '9') + "\"]}",
        "\xEF\xBB",
        "{} {}",
        "{\"\\ud800\": 1}",
    };
    for (const std::string& body : cases) {
        const CheckListParseResult r = parse(body);
        if (!r.ok) {
            EXPECT_FALSE(r.message.empty());
        }
    }
    // An embedded NUL inside a string value is kept as part of the value.
    const CheckListParseResult nul = parse(with_required(R"("viewer log path": "a\u0000b")"));
    ASSERT_TRUE(nul.ok);
    EXPECT_EQ(nul.log_paths[1], std::wstring(L"a\0b", 3));
}

TEST(JsonDocumentTest, GetStringAndArrays)
{
    JsonDocument doc;
    ASSERT_TRUE(doc.load(R"({"s": "값", "n": 1, "a": ["x", 2, "y"], "e": []})"));
    EXPECT_TRUE(doc.is_object());
    EXPECT_EQ(doc.get_string(L"s"), L"값");
    EXPECT_EQ(doc.get_string(L"n", L"def"), L"def");
    EXPECT_EQ(doc.get_string(L"missing", L"def"), L"def");
    std::vector<std::wstring> values;
    EXPECT_TRUE(doc.get_string_array(L"a", values));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"x", L"y"}));
    values.clear();
    EXPECT_TRUE(doc.get_string_array(L"e", values));
    EXPECT_TRUE(values.empty());
    EXPECT_FALSE(doc.get_string_array(L"s", values));
    EXPECT_FALSE(doc.load("{"));
    EXPECT_FALSE(doc.is_object());
    EXPECT_EQ(doc.get_string(L"s", L"gone"), L"gone");
}

#ifdef _WIN32
#include <windows.h>

#include "checklist/documents_folder.h"

TEST(CheckListOnWindows, ListInTheKoreanCodePageIsStillRead)
{
    // "김" in code page 949 is B1 E8, which is not UTF-8.
    ASSERT_EQ(GetACP(), 949u) << "this test runs under the Korean locale";
    const CheckListParseResult r = parse(with_required("\"viewer log path\": \"C:\\\\\xB1\xE8\""));
    ASSERT_TRUE(r.ok) << std::string(r.message.begin(), r.message.end());
    EXPECT_EQ(r.log_paths[1], L"C:\\김");
}

TEST(CheckListOnWindows, DocumentsFolderIsAnExistingFolder)
{
    const std::wstring docs = user_documents_folder();
    ASSERT_FALSE(docs.empty());
    const DWORD attributes = GetFileAttributesW(docs.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CheckListOnWindows, PathOutsideTheCodePageNamesTheRightFolder)
{
    // Under the Korean code page 949 "Zoë", Thai and the emoji have no ANSI form;
    // the path read from the check list must still reach this very folder.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"vantu 김 Zoë ก \U0001F600";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    std::string escaped;
    for (char c : to_utf8(folder)) {
        if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    const CheckListParseResult r = parse(with_required("\"viewer log path\": \"" + escaped + "\""));
    ASSERT_TRUE(r.ok);
    const DWORD attributes = GetFileAttributesW(r.log_paths[1].c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryW(folder.c_str());
}
#endif

TEST(CheckList, TheExpectedCertificateIssuersAreReadWhenGiven)
{
    EXPECT_TRUE(parse(with_required("")).tls_issuers.empty());
    const CheckListParseResult r =
        parse(with_required(R"("tls issuers": ["Vantu Issuing CA", "DigiCert Global G2"], "web": ["www.vantu.test:443"])"));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.tls_issuers.size(), 2u);
    EXPECT_EQ(r.tls_issuers[1], L"DigiCert Global G2");
    EXPECT_EQ(r.groups.size(), 2u) << "the member is no server kind";
    // Not an array of strings: as if absent.
    EXPECT_TRUE(parse(with_required(R"("tls issuers": "Vantu Issuing CA")")).tls_issuers.empty());
}
