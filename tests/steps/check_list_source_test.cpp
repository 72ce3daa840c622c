// The steps both front ends share: the parser gets the bytes as received, and
// the save gets the folders the check list named and the run's report.
#include "steps/check_list_source.h"
#include "steps/save_input.h"

#include "common/text_convert.h"
#include "diag/report/run_report_of_run.h"

#include <gtest/gtest.h>

TEST(CheckListSource, TheParserGetsTheBytesAsReceivedNotTheCodePageText)
{
    HttpRequest request;
    request.m_status = 200;
    request.m_url = L"http://127.0.0.1:80/download/checklist.json";
    // "Ω" has no place in code page 949: the text lost it, the bytes kept it.
    request.m_received = to_utf8(L"{\"agent log path\": \"C:\\\\Ω\"}");
    request.m_text = L"{\"agent log path\": \"C:\\\\?\"}";
    const CheckListSource s = check_list_from_download(request);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.body_utf8, request.m_received);
    EXPECT_EQ(s.shown_text, request.m_text);
    EXPECT_EQ(s.source, L"http://127.0.0.1:80/download/checklist.json");

    request.m_status = 404;
    EXPECT_FALSE(check_list_from_download(request).ok);
    EXPECT_TRUE(check_list_from_download(request).body_utf8.empty());

    const CheckListSource file = check_list_from_file(L"C:\\lists\\a.json", to_utf8(L"{\"x\": \"로그\"}"));
    EXPECT_TRUE(file.ok);
    EXPECT_EQ(file.shown_text, L"{\"x\": \"로그\"}");
}

TEST(SaveInput, TheCheckListsFoldersAndTheRunsReport)
{
    CCheckRun run;
    run.m_documents_folder = L"C:\\Docs";
    const std::string list = R"({"product path agent": "C:\\Agent", "product path viewer": "C:\\Viewer",
                                 "agent log path": "C:\\Logs\\Agent", "viewer log path": "C:\\Logs\\Viewer"})";
    ASSERT_TRUE(run.init_check_list(list, from_utf8(list)).ok);
    const SaveLogsInput input = save_input_of(run, check_report_rows(run));
    EXPECT_EQ(input.product_name, L"Vantu");
    EXPECT_EQ(input.product_paths[0], L"C:\\Agent");
    EXPECT_EQ(input.log_paths[1], L"C:\\Logs\\Viewer");
    EXPECT_EQ(input.product_processes.size(), 4u);
    ASSERT_EQ(input.rows.size(), 1u); // the account item, not run yet
    EXPECT_EQ(input.rows[0].cells[1], L"관리자 계정");
    EXPECT_EQ(input.rows[0].cells[5], L"");
    ASSERT_EQ(input.page_items.size(), 1u);
    EXPECT_EQ(input.page_items[0].kind, ItemVerdict::not_run);
    EXPECT_EQ(input.result_text(90103, false), L"서버에 연결할 수 없습니다.");
}

// Last in this file: the request lasts for the rest of the process.
TEST(SaveInput, ACheckListThatAsksForRedactionRedactsTheSaveOfEitherFrontEnd)
{
    CCheckRun run;
    const std::string plain = R"({"product path agent": "C:\\Agent", "product path viewer": "C:\\Viewer",
                                  "agent log path": "C:\\Logs\\Agent", "viewer log path": "C:\\Logs\\Viewer"})";
    ASSERT_TRUE(check_list_from_file(L"C:\\lists\\plain.json", plain).ok);
    ASSERT_TRUE(run.init_check_list(plain, from_utf8(plain)).ok);
    EXPECT_FALSE(save_input_of(run, check_report_rows(run)).redact);

    HttpRequest request;
    request.m_status = 200;
    request.m_received = plain.substr(0, plain.size() - 1) + R"(, "redact": true})";
    ASSERT_TRUE(check_list_from_download(request).ok);
    EXPECT_TRUE(save_input_of(run, check_report_rows(run)).redact);
    // A later list without the member does not take it back.
    ASSERT_TRUE(check_list_from_file(L"C:\\lists\\plain.json", plain).ok);
    EXPECT_TRUE(save_input_of(run, check_report_rows(run)).redact);
}
