// Under an English locale dates take the month/day/year form, in texts and in the
// log's start banner.
#include "common/date_time.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

TEST(EnglishLocale, DatesAndTheStartBanner)
{
    ASSERT_NE(GetUserDefaultUILanguage(), ui_language_korean) << "run with the English locale";
    EXPECT_NE(current_ui_language(), ui_language_korean);
    local_time t;
    t.year = 2026;
    t.month = 12;
    t.day = 8;
    t.hour = 21;
    t.minute = 4;
    t.second = 3;
    EXPECT_EQ(format_date(t, L"-"), L"12/8/2026");
    EXPECT_EQ(format_date_time(t), L"12/8/2026 21:04:03");
    EXPECT_EQ(format_time(t, L":", false, true), L" 9:04:03 PM");
    EXPECT_TRUE(std::regex_match(now_text(), std::wregex(LR"([0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2})")));

    test_files::scratch_folder folder(L"english_banner");
    CSCLog log;
    log.m_folder = folder.path();
    log.m_show_function = false;
    log.write_start_log();
    const auto lines = test_files::crlf_lines(test_files::read_bytes(log.get_log_path()));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_search(lines[4], std::wregex(LR"(\[\]\[158\] built datetime = [0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}$)")))
        << to_utf8(lines[4]);
}
