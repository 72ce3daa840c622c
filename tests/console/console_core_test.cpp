// The console front end's portable part: its command line, what it prints while a
// run goes on, and the JSON it writes, with a real engine and fake check functions.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "common/text_convert.h"
#include "console/check_list_file.h"
#include "console/console_options.h"
#include "diag/report/run_report_of_run.h"
#include "console/console_view.h"
#include "console/results_json.h"

namespace {

// ---------------------------------------------------------------- options

TEST(ConsoleOptions, DefaultsDownloadFromTheBuiltInHostAndWriteNothing)
{
    const ConsoleOptions o = parse_console_options({}, L"www.vantu.test", 80);
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(o.web_host, L"www.vantu.test");
    EXPECT_EQ(o.web_port, 80);
    EXPECT_TRUE(o.checklist_file.empty());
    EXPECT_TRUE(o.json_file.empty());
    EXPECT_FALSE(o.save);
    EXPECT_FALSE(o.help);
}

TEST(ConsoleOptions, EveryOptionInBothForms)
{
    ConsoleOptions o = parse_console_options(
        {L"--web-host", L"127.0.0.1:8080", L"--checklist", L"C:\\lists\\체크.json", L"--save", L"--json", L"out.json"},
        L"www.vantu.test");
    ASSERT_TRUE(o.error.empty()) << to_utf8(o.error);
    EXPECT_EQ(o.web_host, L"127.0.0.1");
    EXPECT_EQ(o.web_port, 8080);
    EXPECT_EQ(o.checklist_file, L"C:\\lists\\체크.json");
    EXPECT_TRUE(o.save);
    EXPECT_EQ(o.json_file, L"out.json");

    o = parse_console_options({L"--web-host=https://vantu.test", L"--json=r.json", L"--checklist=l.json"}, L"x");
    ASSERT_TRUE(o.error.empty()) << to_utf8(o.error);
    EXPECT_EQ(o.web_host, L"https://vantu.test");
    EXPECT_EQ(o.web_port, 443);
    EXPECT_EQ(o.json_file, L"r.json");
    EXPECT_EQ(o.checklist_file, L"l.json");

    EXPECT_TRUE(parse_console_options({L"--help"}, L"x").help);
    EXPECT_TRUE(parse_console_options({L"/?"}, L"x").help);
}

TEST(ConsoleOptions, WhatIsNotUnderstoodIsAnErrorThatNamesIt)
{
    struct Case
    {
        std::vector<std::wstring> args;
        std::wstring said;
    };
    const std::vector<Case> cases = {
        {{L"--bogus"}, L"--bogus"},
        {{L"extra"}, L"extra"},
        {{L"--json"}, L"--json"},
        {{L"--json", L"--save"}, L"--json"},
        {{L"--json="}, L"--json"},
        {{L"--checklist"}, L"--checklist"},
        {{L"--web-host"}, L"--web-host"},
        {{L"--web-host", L"host:99999"}, L"host:99999"},
        {{L"--web-host", L"bad host"}, L"bad host"},
        {{L"--save=yes"}, L"--save=yes"},
    };
    for (const Case& c : cases) {
        const ConsoleOptions o = parse_console_options(c.args, L"x");
        EXPECT_NE(o.error.find(c.said), std::wstring::npos) << to_utf8(c.said) << ": " << to_utf8(o.error);
    }
    // The usage lists every option and every exit status.
    const std::wstring usage = console_usage();
    for (const wchar_t* word : {L"--web-host", L"--checklist", L"--save", L"--json", L"--help", L"64"})
        EXPECT_NE(usage.find(word), std::wstring::npos) << to_utf8(word);
}

// ---------------------------------------------------------------- a run

const std::string kList = R"({
    "product path agent": "C:\\Agent", "product path viewer": "C:\\Viewer", "agent log path": "C:\\Logs",
    "session": ["192.168.10.5:7002", "192.168.10.6:7002", "192.168.10.7:7002"],
    "web": ["www.example.test:8080"]
})";

struct Fake
{
    bool passed;
    int code;
    int successes;
    int attempts;
    int longest;
    int total;
    int last_failure;
};

CheckFunction fake(Fake f, std::atomic<bool>* stop_after = nullptr)
{
    return [f, stop_after](CCheckRun&, CCheckParam& p) {
        p.result_code = f.code;
        p.success_count = f.successes;
        p.attempt_count = f.attempts;
        p.longest_ms = f.longest;
        p.total_ms = f.total;
        p.last_failure = f.last_failure;
        if (stop_after)
            *stop_after = true; // Ctrl+C while this item runs
        return f.passed;
    };
}

class ConsoleRun : public testing::Test
{
protected:
    std::vector<std::wstring> printed;
    ConsoleCheckView view{[this](const std::wstring& line) { printed.push_back(line); }};
    CCheckRun run{&view};
    std::atomic<bool> stop{false};

    void SetUp() override
    {
        run.m_now_text = [] { return std::wstring(L"2026-12-09 10:00:00"); };
        run.m_documents_folder = L"C:\\Docs";
        const InitCheckListResult r = run.init_check_list(kList, from_utf8(kList));
        ASSERT_TRUE(r.ok) << to_utf8(r.message);
        ASSERT_EQ(run.m_check_groups.size(), 3u); // account, session, web
        run.m_check_groups[0][0].check = fake({true, 0, 0, 0, 0, 0, 0});
    }

    // Session: passes, unstable (2/3, last failure 90103), wrong answer; web: 404.
    void mixed_outcomes(std::atomic<bool>* stop_at_second_session = nullptr)
    {
        run.m_check_groups[1][0].check = fake({true, 0, 3, 3, 12, 30, 0});
        run.m_check_groups[1][1].check = fake({true, 0, 2, 3, 40, 90, 90103}, stop_at_second_session);
        run.m_check_groups[1][2].check = fake({false, 90106, 0, 3, 25, 70, 90106});
        run.m_check_groups[2][0].check = fake({false, 404, 0, 1, 8, 8, 404});
    }

    rapidjson::Document json()
    {
        ResultsJsonInfo info;
        info.source = L"http://127.0.0.1:8080/download/checklist.json";
        info.started = local_time{2026, 12, 9, 10, 0, 1, 0};
        info.ended = local_time{2026, 12, 9, 10, 0, 7, 0};
        const std::string text = results_json(info, run, view);
        rapidjson::Document doc;
        doc.Parse(text.c_str());
        EXPECT_FALSE(doc.HasParseError()) << text;
        return doc;
    }
};

std::string str(const rapidjson::Value& v, const char* key)
{
    return v.HasMember(key) && v[key].IsString() ? v[key].GetString() : std::string("<missing>");
}

int num(const rapidjson::Value& v, const char* key)
{
    return v.HasMember(key) && v[key].IsInt() ? v[key].GetInt() : -12345;
}

TEST_F(ConsoleRun, EachItemIsPrintedOnceWhenItFinishesThenTheSummary)
{
    mixed_outcomes();
    view.watch(run, &stop);
    run.thread_check();
    ASSERT_TRUE(view.finished());
    EXPECT_TRUE(view.completed());
    printed.push_back(view.summary_line());

    ASSERT_EQ(printed.size(), 6u);
    EXPECT_EQ(printed[0], L"Ok          계정 권한  관리자 계정  0ms");
    EXPECT_EQ(printed[1], L"Ok          세션 서버  192*******5:7002  12ms");
    EXPECT_EQ(printed[2], L"Ok (2/3)    세션 서버  192*******6:7002  40ms  error 90103  서버에 연결할 수 없습니다.");
    EXPECT_EQ(printed[3], L"Fail        세션 서버  192*******7:7002  25ms  error 90106  서버 응답이 올바르지 않습니다.");
    // A web check's HTTP status reads as the status name.
    EXPECT_EQ(printed[4], L"Fail        웹 서버  www*************:8080  8ms  error 404  Not Found");
    EXPECT_EQ(printed[5], L"모든 체크가 완료되었습니다. 전체 5, 실패 2, 불안정 1");
    EXPECT_EQ(view.failed_count(), 2);
    EXPECT_EQ(view.unstable_count(), 1);
}

TEST_F(ConsoleRun, ARunWithoutFailuresSaysSo)
{
    for (size_t g = 1; g < run.m_check_groups.size(); ++g)
        for (CCheckItem& item : run.m_check_groups[g])
            item.check = fake({true, 0, 3, 3, 5, 15, 0});
    view.watch(run, &stop);
    run.thread_check();
    EXPECT_EQ(view.summary_line(), L"모든 체크가 완료되었습니다. 전체 5, 실패 0, 불안정 0 - 진단 실패 항목이 없습니다.");
    EXPECT_EQ(printed.size(), 5u);
}

TEST_F(ConsoleRun, AStopDuringAnItemEndsTheRunAfterThatItem)
{
    mixed_outcomes(&stop);
    view.watch(run, &stop);
    run.thread_check();
    ASSERT_TRUE(view.finished());
    EXPECT_FALSE(view.completed());
    // The item that was running finished with its own verdict, printed once.
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[2].substr(0, 8), L"Ok (2/3)");
    EXPECT_EQ(view.summary_line(), L"사용자에 의해 진단이 취소되었습니다. 전체 5 중 3 항목 진단");
    EXPECT_EQ(view.outcome(2, 0).verdict, ItemVerdict::not_run);
    EXPECT_EQ(run.outcome(1, 1).verdict, ItemVerdict::stopped) << "the run's record knows the stop";
    EXPECT_EQ(view.outcome(1, 1).verdict, ItemVerdict::unstable) << "what was printed does not change";

    rapidjson::Document doc = json();
    EXPECT_FALSE(doc["completed"].GetBool());
    const auto& items = doc["items"];
    ASSERT_EQ(items.Size(), 5u);
    EXPECT_TRUE(items[2]["ran"].GetBool());
    EXPECT_EQ(str(items[2], "verdict"), "Ok (2/3)");
    EXPECT_EQ(num(items[2], "result_code"), 90103);
    EXPECT_FALSE(items[3]["ran"].GetBool());
    EXPECT_EQ(str(items[3], "verdict"), "");
    EXPECT_EQ(num(items[3], "attempts"), 0);
}

TEST_F(ConsoleRun, AStopAskedForBeforeTheRunBeganIsNotLost)
{
    mixed_outcomes();
    view.watch(run, &stop);
    stop = true; // Ctrl+C between the download and the start of the run
    run.thread_check();
    EXPECT_FALSE(view.completed());
    EXPECT_EQ(printed.size(), 1u) << "only the item already under way may finish";
}

TEST_F(ConsoleRun, TheJsonHasOneEntryPerItemWithItsFiguresTextsAndHints)
{
    mixed_outcomes();
    view.watch(run, &stop);
    run.thread_check();
    rapidjson::Document doc = json();
    ASSERT_TRUE(doc.IsObject());
    EXPECT_EQ(str(doc, "source"), "http://127.0.0.1:8080/download/checklist.json");
    EXPECT_EQ(str(doc, "start"), "2026-12-09T10:00:01");
    EXPECT_EQ(str(doc, "end"), "2026-12-09T10:00:07");
    EXPECT_TRUE(doc["completed"].GetBool());
    EXPECT_EQ(num(doc, "failed"), 2);
    EXPECT_EQ(num(doc, "unstable"), 1);

    const auto& items = doc["items"];
    ASSERT_TRUE(items.IsArray());
    ASSERT_EQ(items.Size(), 5u);

    EXPECT_EQ(num(items[0], "group"), 0);
    EXPECT_EQ(str(items[0], "title"), to_utf8(L"계정 권한"));
    EXPECT_EQ(str(items[0], "kind"), "account");
    EXPECT_EQ(str(items[0], "host"), "");
    EXPECT_EQ(str(items[0], "result_text"), to_utf8(L"성공"));
    EXPECT_EQ(str(items[0], "hint"), "");

    const auto& ok = items[1];
    EXPECT_EQ(num(ok, "group"), 1);
    EXPECT_EQ(str(ok, "title"), to_utf8(L"세션 서버"));
    EXPECT_EQ(str(ok, "host"), "192*******5");
    EXPECT_EQ(num(ok, "port"), 7002);
    EXPECT_EQ(str(ok, "kind"), "session");
    EXPECT_EQ(str(ok, "verdict"), "Ok");
    EXPECT_EQ(num(ok, "attempts"), 3);
    EXPECT_EQ(num(ok, "successes"), 3);
    EXPECT_EQ(num(ok, "longest_ms"), 12);
    EXPECT_EQ(num(ok, "total_ms"), 30);
    EXPECT_EQ(num(ok, "result_code"), 0);

    const auto& unstable = items[2];
    EXPECT_EQ(str(unstable, "verdict"), "Ok (2/3)");
    EXPECT_EQ(num(unstable, "result_code"), 90103);
    EXPECT_EQ(str(unstable, "result_text"), to_utf8(L"서버에 연결할 수 없습니다."));
    EXPECT_EQ(str(unstable, "hint"),
              to_utf8(L"사내 방화벽이나 백신이 이 주소의 연결을 막고 있을 수 있습니다. 네트워크 담당자에게 문의해주세요."));

    const auto& wrong = items[3];
    EXPECT_EQ(str(wrong, "verdict"), "Fail");
    EXPECT_EQ(num(wrong, "result_code"), 90106);
    EXPECT_EQ(str(wrong, "hint"), to_utf8(L"서버 응답이 올바르지 않습니다. [로그 저장] 후 담당자에게 전달해주세요."));

    const auto& web = items[4];
    EXPECT_EQ(num(web, "group"), 2);
    EXPECT_EQ(str(web, "kind"), "web");
    EXPECT_EQ(str(web, "title"), to_utf8(L"웹 서버"));
    EXPECT_EQ(num(web, "result_code"), 404);
    EXPECT_EQ(str(web, "result_text"), "Not Found");
}

TEST(ResultsJson, ARunWithoutACheckListSaysWhyAndHasNoItems)
{
    ResultsJsonInfo info;
    info.source = L"C:\\목록\\checklist.json";
    info.started = local_time{2026, 1, 2, 3, 4, 5, 0};
    info.ended = info.started;
    rapidjson::Document doc;
    doc.Parse(failure_json(info, L"\"agent log path\" is empty.").c_str());
    ASSERT_FALSE(doc.HasParseError());
    EXPECT_EQ(str(doc, "source"), to_utf8(L"C:\\목록\\checklist.json"));
    EXPECT_EQ(str(doc, "start"), "2026-01-02T03:04:05");
    EXPECT_FALSE(doc["completed"].GetBool());
    EXPECT_EQ(str(doc, "error"), "\"agent log path\" is empty.");
    ASSERT_TRUE(doc["items"].IsArray());
    EXPECT_EQ(doc["items"].Size(), 0u);
}

TEST_F(ConsoleRun, TheRowsTheReportReadsAreSpelledFromTheOutcomes)
{
    mixed_outcomes();
    view.watch(run, &stop);
    run.thread_check();
    ASSERT_EQ(view.log_row_count(), 5);
    const std::vector<CheckReportRow> rows = check_report_rows(run);
    ASSERT_EQ(rows.size(), 5u);
    const std::array<std::wstring, 7> account{L"계정", L"관리자 계정", L"", L"2026-12-09 10:00:00", L"0ms", L"Ok", L""};
    EXPECT_EQ(rows[0].cells, account);
    const std::array<std::wstring, 7> unstable{L"세션", L"192*******6", L"7002", L"2026-12-09 10:00:00",
                                               L"40ms", L"Ok (2/3)", L"90103"};
    EXPECT_EQ(rows[2].cells, unstable);
    EXPECT_EQ(rows[3].cells[LOG_COL_RESULT], L"Fail");
    EXPECT_EQ(rows[3].cells[LOG_COL_NOTE], L"90106");
    EXPECT_EQ(rows[4].cells[LOG_COL_PORT], L"8080");
    EXPECT_TRUE(rows[4].web_check);
}

// ---------------------------------------------------------------- local check list files

TEST(CheckListFile, TextInAnyUsualEncodingReachesTheParserAsUtf8)
{
    const std::string utf8 = to_utf8(L"{\"agent log path\": \"C:\\\\로그\"}");
    EXPECT_EQ(check_list_file_text(utf8), utf8);
    EXPECT_EQ(check_list_file_text("\xEF\xBB\xBF" + utf8), "\xEF\xBB\xBF" + utf8); // the parser skips the mark

    const std::wstring wide = L"{\"a\": \"로그\"}";
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : wide) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    EXPECT_EQ(check_list_file_text(utf16), to_utf8(wide));
}

TEST(CheckListFile, AMissingFileOrAFolderIsACleanFailure)
{
    std::string text;
    std::wstring error;
    EXPECT_FALSE(read_check_list_file(L"/no/such/folder/checklist.json", text, error));
    EXPECT_NE(error.find(L"checklist.json"), std::wstring::npos);
    error.clear();
    EXPECT_FALSE(read_check_list_file(L".", text, error));
    EXPECT_NE(error.find(L"folder"), std::wstring::npos);
}

} // namespace
