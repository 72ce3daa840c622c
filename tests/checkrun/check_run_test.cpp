// The check run end to end with a recording view and fake check functions: what
// the step list, the progress bar, the buttons and the log page show.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "check/run/check_summary.h"
#include "check/run/result_text.h"
#include "checkrun/recording_view.h"

namespace {

const std::string kThreeGroups = R"({
    "product path agent": "C:\\Agent", "product path viewer": "C:\\Viewer", "agent log path": "C:\\Logs",
    "session": ["10.0.0.5:7002", "10.0.0.6:7002", "session.test:7003"],
    "web": ["http://www.example.test"]
})";

// A fake outcome of one item.
struct Outcome
{
    bool passed;
    int result_code;
    int success = 0;
    int attempts = 0;
    int longest = 0;
    int last_failure = 0;
};

CheckFunction fake(Outcome o)
{
    return [o](CCheckRun&, CCheckParam& p) {
        p.result_code = o.result_code;
        p.success_count = o.success;
        p.attempt_count = o.attempts;
        p.longest_ms = o.longest;
        p.last_failure = o.last_failure;
        return o.passed;
    };
}

class CheckRunTest : public testing::Test
{
protected:
    RecordingView view;
    CCheckRun run{&view};

    void SetUp() override
    {
        run.m_now_text = [] { return std::wstring(L"2026-12-08 10:00:00"); };
        run.m_documents_folder = L"C:\\Docs";
    }

    void load(const std::string& body)
    {
        const InitCheckListResult r = run.init_check_list(body, L"");
        ASSERT_TRUE(r.ok);
    }

    void set_all(Outcome o)
    {
        for (auto& group : run.m_check_groups)
            for (auto& item : group)
                item.check = fake(o);
    }
};

} // namespace

TEST_F(CheckRunTest, InitShowsStepLinesProgressRangeAndRows)
{
    load(kThreeGroups);
    ASSERT_EQ(run.m_check_groups.size(), 3u);
    EXPECT_EQ(run.m_product_paths[0], L"C:\\Agent");
    EXPECT_EQ(run.m_log_paths[0], L"C:\\Logs");
    ASSERT_EQ(view.steps.size(), 3u);
    EXPECT_EQ(view.steps[0].text, L"계정 권한 체크");
    EXPECT_EQ(view.steps[1].text, L"세션 서버 체크");
    EXPECT_EQ(view.steps[2].text, L"웹 서버 체크");
    EXPECT_EQ(view.current_step, -1);
    EXPECT_EQ(view.progress_lower, 0);
    EXPECT_EQ(view.progress_upper, 5);

    ASSERT_EQ(view.rows.size(), 5u);
    EXPECT_EQ(view.rows[0].cells[0], L"계정");
    EXPECT_EQ(view.rows[0].cells[1], L"관리자 계정");
    EXPECT_EQ(view.rows[1].cells[0], L"세션");
    EXPECT_EQ(view.rows[1].cells[1], L"10****5");
    EXPECT_EQ(view.rows[1].cells[2], L"7002");
    EXPECT_EQ(view.rows[3].cells[1], L"session*****");
    EXPECT_EQ(view.rows[4].cells[0], L"웹");
    EXPECT_EQ(view.rows[4].cells[1], L"http://www*************");
    EXPECT_EQ(view.rows[4].cells[2], L"80");
    int expected_row = 0;
    for (const auto& group : run.m_check_groups)
        for (const auto& item : group)
            EXPECT_EQ(item.list_row, expected_row++);
    EXPECT_EQ(run.find_item_by_row(3)->host, L"session.test");
    EXPECT_EQ(run.find_item_by_row(5), nullptr);

    // The real check functions are in place: the account check first.
    EXPECT_TRUE(run.m_check_groups[0][0].check);
    EXPECT_TRUE(run.m_check_groups[1][0].check);
}

TEST_F(CheckRunTest, BarInAnAddressDoesNotShiftTheColumns)
{
    load(R"({"product path agent": "a", "product path viewer": "v", "agent log path": "l",
             "web": ["http://a|b|c.test"]})");
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[1].cells[1], L"http://a*b*c*****");
    EXPECT_EQ(view.rows[1].cells[2], L"80");
    EXPECT_EQ(view.rows[1].cells[3], L"");
}

TEST_F(CheckRunTest, InitWithOnlyTheRequiredPathsGivesOneStepAndRangeOne)
{
    load(R"({"product path agent": "a", "product path viewer": "v", "agent log path": "l"})");
    ASSERT_EQ(view.steps.size(), 1u);
    EXPECT_EQ(view.steps[0].text, L"계정 권한 체크");
    EXPECT_EQ(view.progress_upper, 1);
    EXPECT_EQ(view.rows.size(), 1u);
}

TEST_F(CheckRunTest, InitRejectsBadDocumentsWithTheirMessages)
{
    InitCheckListResult r = run.init_check_list("not json", L"not json");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, CheckListError::invalid_json);
    EXPECT_EQ(r.message, L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = not json");
    r = run.init_check_list(R"({"product path agent": "a", "agent log path": "l"})", L"");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, CheckListError::missing_path);
    EXPECT_EQ(r.message, L"\"product path viewer\" is empty.");
}

TEST_F(CheckRunTest, CompletedRunShowsEveryVerdictAndPostsCompletion)
{
    load(kThreeGroups);
    run.m_check_groups[0][0].check = fake({true, 0, 0, 0, -1});
    run.m_check_groups[1][0].check = fake({true, 0, 3, 3, 100});
    run.m_check_groups[1][1].check = fake({true, 0, 2, 3, 250, 90103});
    run.m_check_groups[1][2].check = fake({false, 90106, 0, 3, 3001, 90106});
    run.m_check_groups[2][0].check = fake({true, 0, 3, 3, 3000});

    run.thread_check();

    // Account row: no duration when none was measured.
    EXPECT_EQ(view.rows[0].cells[LOG_COL_DURATION], L"");
    EXPECT_EQ(view.rows[0].cells[LOG_COL_RESULT], L"Ok");
    EXPECT_EQ(view.rows[0].cells[LOG_COL_TIME], L"2026-12-08 10:00:00");

    EXPECT_EQ(view.rows[1].cells[LOG_COL_DURATION], L"100ms");
    EXPECT_EQ(view.rows[1].cells[LOG_COL_RESULT], L"Ok");
    EXPECT_EQ(view.rows[1].cell_colours[LOG_COL_DURATION], 0x007F00u);

    EXPECT_EQ(view.rows[2].cells[LOG_COL_RESULT], L"Ok (2/3)");
    EXPECT_EQ(view.rows[2].cells[LOG_COL_NOTE], L"90103");
    EXPECT_EQ(view.rows[2].row_colour, 0x507FFFu);

    EXPECT_EQ(view.rows[3].cells[LOG_COL_RESULT], L"Fail");
    EXPECT_EQ(view.rows[3].cells[LOG_COL_NOTE], L"90106");
    EXPECT_EQ(view.rows[3].cells[LOG_COL_DURATION], L"3001ms");
    EXPECT_EQ(view.rows[3].row_colour, 0xFFB22222u);

    EXPECT_EQ(view.rows[4].cell_colours[LOG_COL_DURATION], 0x507FFFu);

    // Step lines: the session group has a failed item.
    EXPECT_EQ(view.steps[0].text, L"계정 권한 체크 완료");
    EXPECT_EQ(view.steps[1].text, L"세션 서버 체크 실패 (3/3)");
    EXPECT_EQ(view.steps[1].text_colour, 0xFFB22222u);
    EXPECT_EQ(view.steps[1].marker_colour, 0xFFB22222u);
    EXPECT_EQ(view.steps[2].text, L"웹 서버 체크 완료");
    EXPECT_EQ(view.steps[2].marker_colour, 0xFFFFFFu); // none of its own
    // The current line ends past the last line.
    EXPECT_EQ(view.current_step, 3);

    // Step texts while running.
    const std::vector<std::wstring>& h = view.step_text_history;
    EXPECT_NE(std::find(h.begin(), h.end(), L"계정 권한 체크중"), h.end());
    EXPECT_NE(std::find(h.begin(), h.end(), L"세션 서버 체크중 (2/3)"), h.end());
    EXPECT_NE(std::find(h.begin(), h.end(), L"웹 서버 체크중"), h.end());

    // Progress: 0, then one step per item; hidden at the end.
    EXPECT_EQ(view.progress_history, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(view.progress_busy);
    EXPECT_FALSE(view.progress_visible);

    // Buttons and animation.
    EXPECT_EQ(view.start_text_history, (std::vector<std::wstring>{L"진단 중지", L"진단 시작"}));
    EXPECT_TRUE(view.start_enabled);
    EXPECT_FALSE(view.save_enabled);
    EXPECT_EQ(view.animation_starts, 1);
    EXPECT_EQ(view.animation_pauses, 1);
    EXPECT_EQ(view.visible_rows, (std::vector<int>{0, 1, 2, 3, 4}));

    // One failed item (not three failed attempts), completed.
    EXPECT_EQ(view.finished_posts, 1);
    EXPECT_TRUE(view.finished_completed);
    EXPECT_EQ(view.finished_failed, 1);
    EXPECT_FALSE(run.m_checking);
    EXPECT_TRUE(run.m_check_done);

    EXPECT_EQ(collect_failed_rows(view), (std::vector<int>{2, 3}));
}

TEST_F(CheckRunTest, DurationColours)
{
    load(kThreeGroups);
    const struct
    {
        int ms;
        std::uint32_t colour; // 0: unchanged
    } cases[] = {{0, 0x007F00}, {100, 0x007F00}, {101, 0}, {300, 0}, {301, 0x20A5DA}, {1000, 0x20A5DA},
                 {1001, 0x507FFF}, {3000, 0x507FFF}, {3001, 0x00008B}};
    for (const auto& c : cases) {
        RecordingView v;
        CCheckRun r(&v);
        v.add_log_row(L"x");
        CCheckParam p(0, 0);
        p.longest_ms = c.ms;
        p.attempt_count = 3;
        p.success_count = 3;
        r.show_result(0, p);
        EXPECT_EQ(v.rows[0].cells[LOG_COL_DURATION], std::to_wstring(c.ms) + L"ms");
        if (c.colour)
            EXPECT_EQ(v.rows[0].cell_colours[LOG_COL_DURATION], c.colour) << c.ms;
        else
            EXPECT_EQ(v.rows[0].cell_colours.count(LOG_COL_DURATION), 0u) << c.ms;
    }
}

TEST_F(CheckRunTest, StopDuringTheThirdItemOfAGroup)
{
    load(kThreeGroups);
    set_all({true, 0, 3, 3, 50});
    // The stop request arrives while the third session item runs; the item
    // finishes first.
    run.m_check_groups[1][2].check = [](CCheckRun& r, CCheckParam& p) {
        r.m_checking = false;
        p.success_count = 3;
        p.attempt_count = 3;
        p.longest_ms = 40;
        return true;
    };
    run.m_check_groups[2][0].check = [](CCheckRun&, CCheckParam&) -> bool {
        ADD_FAILURE() << "an item after the stop ran";
        return false;
    };

    run.thread_check();

    const RecordedRow& stopped = view.rows[3];
    EXPECT_EQ(stopped.verdicts, (std::vector<std::wstring>{L"Ok", L"Fail"}));
    EXPECT_EQ(stopped.cells[LOG_COL_NOTE], L"90001");
    EXPECT_EQ(stopped.row_colour, 0xFFB22222u);
    EXPECT_EQ(result_text(std::stoi(stopped.cells[LOG_COL_NOTE]), false), L"사용자에 의해 진단이 취소되었습니다.");
    // The item after the stop was never touched.
    EXPECT_EQ(view.rows[4].cells[LOG_COL_TIME], L"");
    EXPECT_TRUE(view.rows[4].verdicts.empty());

    EXPECT_EQ(view.steps[0].text, L"계정 권한 체크 완료");
    EXPECT_EQ(view.steps[1].text, L"세션 서버 체크 중지 (3/3)");
    EXPECT_EQ(view.steps[1].marker_colour, 0xFFA0522Du);
    EXPECT_EQ(view.steps[2].text, L"웹 서버 체크");
    EXPECT_EQ(view.current_step, 2);

    EXPECT_EQ(view.start_text, L"진단 시작");
    EXPECT_TRUE(view.start_enabled);
    EXPECT_EQ(view.finished_posts, 1);
    EXPECT_FALSE(view.finished_completed);
    EXPECT_EQ(view.finished_failed, 0);
    EXPECT_TRUE(run.m_check_done);
    EXPECT_FALSE(run.m_checking);
}

TEST_F(CheckRunTest, StopInASingleItemGroupHasNoCounter)
{
    load(kThreeGroups);
    set_all({true, 0, 3, 3, 50});
    run.m_check_groups[0][0].check = [](CCheckRun& r, CCheckParam& p) {
        r.m_checking = false;
        p.result_code = CHECK_NOT_ADMIN;
        return false;
    };
    run.thread_check();
    EXPECT_EQ(view.steps[0].text, L"계정 권한 체크 중지");
    EXPECT_EQ(view.rows[0].verdicts, (std::vector<std::wstring>{L"Fail", L"Fail"}));
    EXPECT_EQ(view.rows[0].cells[LOG_COL_NOTE], L"90001");
    EXPECT_FALSE(view.finished_completed);
    EXPECT_EQ(view.finished_failed, 1);
}

TEST_F(CheckRunTest, EmptyCheckListCompletesWithNoFailures)
{
    run.m_check_groups.clear();
    run.thread_check();
    EXPECT_EQ(view.finished_posts, 1);
    EXPECT_TRUE(view.finished_completed);
    EXPECT_EQ(view.finished_failed, 0);
    EXPECT_EQ(view.start_text, L"진단 시작");
    EXPECT_TRUE(run.m_check_done);
}

TEST_F(CheckRunTest, ItemWithoutCheckFunctionFails)
{
    load(kThreeGroups);
    set_all({true, 0, 3, 3, 50});
    run.m_check_groups[2][0].check = nullptr;
    run.thread_check();
    EXPECT_EQ(view.rows[4].cells[LOG_COL_RESULT], L"Fail");
    EXPECT_EQ(view.rows[4].cells[LOG_COL_NOTE], L"90101");
    EXPECT_EQ(view.finished_failed, 1);
}

TEST(CheckRunWithoutView, RunsAndCountsWithoutAScreen)
{
    CCheckRun run;
    run.m_documents_folder = L"C:\\Docs";
    ASSERT_TRUE(run.init_check_list(kThreeGroups, L"").ok);
    int calls = 0;
    for (auto& group : run.m_check_groups)
        for (auto& item : group)
            item.check = [&calls](CCheckRun&, CCheckParam&) { return ++calls % 2 == 0; };
    run.thread_check();
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(run.m_check_done);
    EXPECT_FALSE(run.m_checking);
}

TEST_F(CheckRunTest, ResultCodeOneShowsStopped)
{
    view.add_log_row(L"x");
    CCheckParam p(0, 0);
    p.result_code = 1;
    run.show_result(0, p);
    EXPECT_EQ(view.rows[0].cells[LOG_COL_RESULT], L"진단 중지");
    EXPECT_EQ(view.rows[0].row_colour, 0xFFA0522Du);
}

TEST_F(CheckRunTest, StopFromAnotherThreadWhileAnItemRuns)
{
    load(kThreeGroups);
    set_all({true, 0, 3, 3, 50});
    std::mutex m;
    std::condition_variable cv;
    bool entered = false, release = false;
    run.m_check_groups[1][1].check = [&](CCheckRun&, CCheckParam& p) {
        std::unique_lock<std::mutex> lock(m);
        entered = true;
        cv.notify_all();
        cv.wait_for(lock, std::chrono::seconds(30), [&] { return release; });
        p.success_count = p.attempt_count = 3;
        return true;
    };
    std::thread worker([&] { run.thread_check(); });
    {
        std::unique_lock<std::mutex> lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return entered; }));
        EXPECT_TRUE(run.m_checking);
        EXPECT_FALSE(run.m_check_done);
        // The UI thread's stop request, then the item may finish.
        run.m_checking = false;
        release = true;
        cv.notify_all();
    }
    worker.join();
    EXPECT_TRUE(run.m_check_done);
    EXPECT_EQ(view.finished_posts, 1);
    EXPECT_FALSE(view.finished_completed);
    EXPECT_EQ(view.steps[1].text, L"세션 서버 체크 중지 (2/3)");
    EXPECT_EQ(view.rows[2].verdicts, (std::vector<std::wstring>{L"Ok", L"Fail"}));
    EXPECT_TRUE(view.rows[3].verdicts.empty());
}

TEST_F(CheckRunTest, RunsAgainAfterAReset)
{
    load(kThreeGroups);
    set_all({false, 90103, 0, 3, 2000, 90103});
    run.thread_check();
    EXPECT_EQ(view.finished_failed, 5);
    EXPECT_EQ(collect_failed_rows(view).size(), 5u);

    set_all({true, 0, 3, 3, 10});
    run.reset_check_list_view();
    run.thread_check();
    EXPECT_EQ(view.finished_posts, 2);
    EXPECT_EQ(view.finished_failed, 0);
    EXPECT_TRUE(collect_failed_rows(view).empty());
    EXPECT_EQ(view.rows[1].cells[LOG_COL_RESULT], L"Ok");
}
