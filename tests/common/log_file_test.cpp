// The log file as it is written beside the executable.
#include "common/log.h"

#include "common/file_utils.h"
#include "common/text_convert.h"
#include "common/version_info.h"
#include "test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <regex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using test_files::crlf_lines;
using test_files::read_bytes;
using test_files::scratch_folder;
using testing::HasSubstr;

namespace {

MATCHER_P(MatchesRegex, pattern, std::string("matches ") + pattern)
{
    return std::regex_match(arg, std::regex(pattern));
}

const char* const stamp = R"(\[[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}\])";

std::string narrow(const std::wstring& text)
{
    return to_utf8(text);
}

// A log of its own that writes into a scratch folder.
struct test_log
{
    explicit test_log(const std::wstring& folder, const std::wstring& base = L"unit")
    {
        log.m_folder = folder;
        log.m_base_name = base;
    }
    std::vector<std::wstring> lines() { return crlf_lines(read_bytes(log.get_log_path())); }
    CSCLog log;
};

bool starts_with_bom(const std::string& bytes)
{
    return bytes.rfind("\xEF\xBB\xBF", 0) == 0;
}

}  // namespace

TEST(LogFile, ProcessLogExistsFromStaticInitialisation)
{
    ASSERT_NE(g_log, nullptr);
    const std::wstring before = g_log->m_folder;
    scratch_folder folder(L"log_process");
    g_log->m_folder = folder.path();
    g_log->m_base_name = L"process";
    const std::wstring line = SCLOG(1, L"%s(%s:%d)...", L"게이트웨이", L"gw.example", 443);
    EXPECT_THAT(narrow(line), HasSubstr("[LogFile_ProcessLogExistsFromStaticInitialisation_Test::TestBody]"));
    EXPECT_THAT(narrow(line), HasSubstr("[info] 게이트웨이(gw.example:443)..."));
    const auto lines = crlf_lines(read_bytes(g_log->get_log_path()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], line);
    g_log->m_folder = before;
    g_log->m_base_name.clear();
}

TEST(LogFile, EncodingLineEndsAndFields)
{
    scratch_folder folder(L"log_fields");
    test_log t(folder.path());
    const std::wstring first = t.log.write(3, L"CMarloCheckToolDlg::check_server", 339, L"failed to create socket (error=%d)", 10060);
    EXPECT_THAT(narrow(first), MatchesRegex(std::string(stamp) + R"(\[CMarloCheckToolDlg::check_server\]\[339\]\[error\] failed to create socket \(error=10060\))"));
    t.log.m_show_function = false;
    t.log.write(0, L"ignored", 12, L"request_url : %s", L"http://가나.example/download/checklist.json");
    t.log.m_show_line = false;
    t.log.write(2, L"ignored", 13, L"both empty");
    t.log.write(-5, L"", 14, L"negative level");
    t.log.write(1, L"", 15, L"inner\nline feeds stay\n");

    const std::string bytes = read_bytes(t.log.get_log_path());
    ASSERT_TRUE(starts_with_bom(bytes));
    EXPECT_EQ(bytes.find("\n", 0) , bytes.find("\r\n") + 1) << "every line break is CR LF";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(bytes[i - 1], '\r') << "bare LF at byte " << i;
        }
    }
    const auto lines = crlf_lines(bytes);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], first);
    EXPECT_THAT(narrow(lines[1]), MatchesRegex(std::string(stamp) + R"(\[\]\[12\] request_url : http://가나\.example/download/checklist\.json)"));
    EXPECT_THAT(narrow(lines[2]), MatchesRegex(std::string(stamp) + R"(\[\]\[\]\[warn\] both empty)"));
    EXPECT_THAT(narrow(lines[3]), MatchesRegex(std::string(stamp) + R"(\[\]\[\] negative level)"));
    EXPECT_THAT(narrow(lines[4]), MatchesRegex(std::string(stamp) + R"(\[\]\[\]\[info\] inner)"));
    EXPECT_EQ(lines[5], L"line feeds stay");
    EXPECT_EQ(lines[6], L"");
}

TEST(LogFile, LeadingLineFeedsEmptyMessagesAndBanners)
{
    scratch_folder folder(L"log_feeds");
    test_log t(folder.path());
    t.log.m_show_function = false;
    EXPECT_EQ(t.log.write(0, L"", 1, L""), L"");
    const std::wstring only = t.log.write(0, L"", 2, L"\n\n");
    EXPECT_THAT(narrow(only), MatchesRegex(std::string(stamp) + R"(\[\]\[2\] )"));
    t.log.write(0, L"", 3, L"\nafter one empty line");
    t.log.write_end_log();

    const auto lines = t.lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], L"");      // the empty message
    EXPECT_EQ(lines[1], L"");      // two leading line feeds...
    EXPECT_EQ(lines[2], L"");
    EXPECT_EQ(lines[3], only);     // ...then the line with an empty message
    EXPECT_EQ(lines[4], L"");
    EXPECT_THAT(narrow(lines[5]), HasSubstr("[3] after one empty line"));
    EXPECT_THAT(narrow(lines[6]), HasSubstr("[167] ==================== Program Exit ===================="));
    EXPECT_EQ(lines[7], L"");      // the exit banner's own trailing line feed
    const std::string bytes = read_bytes(t.log.get_log_path());
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
}

TEST(LogFile, StartBanner)
{
    scratch_folder folder(L"log_banner");
    test_log t(folder.path());
    t.log.m_show_function = false;
    t.log.write_start_log();
    const auto lines = t.lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"");
    EXPECT_THAT(narrow(lines[1]), MatchesRegex(std::string(stamp) + R"(\[\]\[150\] =+ Program Start =+)"));
    EXPECT_THAT(narrow(lines[2]), MatchesRegex(std::string(stamp) + R"(\[\]\[152\] device name = .+)"));
    EXPECT_THAT(narrow(lines[5]), MatchesRegex(std::string(stamp) + R"(\[\]\[160\] log path = .+)"));
    EXPECT_THAT(narrow(lines[5]), HasSubstr(narrow(t.log.get_log_path())));
#ifdef _WIN32
    EXPECT_THAT(narrow(lines[3]), MatchesRegex(std::string(stamp) + R"(\[\]\[154\] file version = 1\.0\.0\.1)"));
    EXPECT_THAT(narrow(lines[4]),
                MatchesRegex(std::string(stamp) + R"(\[\]\[158\] built datetime = [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2})"))
        << "the Korean locale shows year-month-day";
#else
    EXPECT_THAT(narrow(lines[3]), MatchesRegex(std::string(stamp) + R"(\[\]\[154\] file version = )"));
    EXPECT_THAT(narrow(lines[4]), MatchesRegex(std::string(stamp) + R"(\[\]\[158\] built datetime = [0-9/-]+ [0-9]{2}:[0-9]{2}:[0-9]{2})"));
#endif
    t.log.m_show_function = true;
    t.log.write_start_log();
    EXPECT_THAT(narrow(t.lines()[7]), HasSubstr("[CSCLog::write_start_log][150]"));
}

TEST(LogFile, LevelAboveMaximumReturnsTheLineAndWritesNothing)
{
    scratch_folder folder(L"log_levels");
    test_log t(folder.path());
    const std::wstring debug = t.log.write(7, L"f", 1, L"debug %d", 1);
    EXPECT_THAT(narrow(debug), HasSubstr("[f][1][debug] debug 1"));
    EXPECT_TRUE(find_files(folder.path()).empty()) << "no file is made for a line that is not written";
    EXPECT_EQ(t.log.m_file, nullptr);

    t.log.write(6, L"f", 2, L"level six");
    t.log.m_max_level = 2;
    t.log.write(3, L"f", 3, L"now too high");
    t.log.write(2, L"f", 4, L"warned");
    const auto lines = t.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(narrow(lines[0]), HasSubstr("level six"));
    EXPECT_THAT(narrow(lines[1]), HasSubstr("[warn] warned"));
    EXPECT_EQ(t.log.m_file, nullptr) << "the file is closed between calls";
}

TEST(LogFile, BadFormatIsReportedAndNotWritten)
{
    scratch_folder folder(L"log_badformat");
    test_log t(folder.path());
    t.log.write(0, L"f", 1, L"good");
    int n = 0;
    EXPECT_EQ(t.log.write(0, L"f", 2, L"bad %n", &n), L"log_text.FormatV() exception.");
    EXPECT_EQ(t.log.write(0, L"f", 3, L"bad %"), L"log_text.FormatV() exception.");
    EXPECT_EQ(t.lines().size(), 1u);
    EXPECT_EQ(t.log.m_file, nullptr);
}

TEST(LogFile, RunsOfOneDayShareTheFileAndTimeInName)
{
    scratch_folder folder(L"log_runs");
    std::wstring path;
    {
        test_log first(folder.path(), L"shared");
        first.log.write(0, L"", 1, L"first run");
        path = first.log.get_log_path();
    }
    {
        test_log second(folder.path(), L"shared");
        second.log.write(0, L"", 2, L"second run");
        EXPECT_EQ(second.log.get_log_path(), path);
    }
    const std::string bytes = read_bytes(path);
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF"), 0u) << "one byte-order mark only";
    const auto lines = crlf_lines(bytes);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_THAT(narrow(lines[0]), HasSubstr("first run"));
    EXPECT_THAT(narrow(lines[1]), HasSubstr("Program Exit"));
    EXPECT_THAT(narrow(lines[3]), HasSubstr("second run"));

    test_log timed(folder.path(), L"timed");
    timed.log.m_time_in_name = true;
    timed.log.write(0, L"", 1, L"x");
    EXPECT_THAT(narrow(path_part(timed.log.get_log_path(), path_part_file_name)),
                MatchesRegex(R"(timed_[0-9]{8}_[0-9]{6}\.log)"));
    // The name comes from the start time only: a start just before midnight keeps its date.
    test_log late(folder.path(), L"late");
    late.log.m_start_time = 1796223599;  // a fixed moment; its local date names the file
    late.log.write(0, L"", 1, L"x");
    const local_time start = local_time_from_unix(1796223599);
    EXPECT_EQ(path_part(late.log.get_log_path(), path_part_file_name),
              L"late_" + std::to_wstring(start.year * 10000 + start.month * 100 + start.day) + L".log");
}

TEST(LogFile, FoldersRelativeAbsoluteAndDefault)
{
    const std::wstring exe_folder = module_folder();
    {
        // Relative to the executable's folder, not to the current directory.
        scratch_folder elsewhere(L"log_cwd");
        const auto change_directory = [](const std::wstring& to) {
#ifdef _WIN32
            return SetCurrentDirectoryW(to.c_str()) != FALSE;
#else
            return chdir(to_utf8(to).c_str()) == 0;
#endif
        };
        ASSERT_TRUE(change_directory(elsewhere.path()));
        CSCLog log;
        log.m_folder = L"log_relative/sub";
        log.write(0, L"", 1, L"relative");
        EXPECT_EQ(log.m_folder, exe_folder + path_separator + L"log_relative" + path_separator + L"sub");
        EXPECT_TRUE(file_exists(log.get_log_path()));
        EXPECT_TRUE(find_files(elsewhere.path(), L"*", L"", true, L"", true, true).empty());
        EXPECT_EQ(path_part(log.get_log_path(), path_part_title),
                  path_part(module_file_path(), path_part_title) + L"_" +
                      format_date(local_time_from_unix(log.m_start_time), L"", ui_language_korean))
            << "the base name defaults to the executable's name";
        EXPECT_TRUE(change_directory(exe_folder));
        delete_folder_tree(exe_folder + path_separator + L"log_relative");
    }
    {
        // An absolute folder with forward slashes is taken as it stands.
#ifdef _WIN32
        const std::wstring root = L"C:\\vantu_log_test";
        const std::wstring given = L"C:/vantu_log_test/x/y";
        const std::wstring expected = L"C:\\vantu_log_test\\x\\y";
#else
        const std::wstring root = exe_folder + L"/log_absolute";
        const std::wstring given = root + L"/x/y";
        const std::wstring expected = given;
#endif
        delete_folder_tree(root);
        {
            CSCLog log;
            log.m_folder = given;
            EXPECT_NE(log.write(0, L"", 1, L"absolute"), L"");
            EXPECT_EQ(log.m_folder, expected);
            EXPECT_EQ(path_part(log.get_log_path(), path_part_folder), expected);
            EXPECT_TRUE(file_exists(log.get_log_path()));
        }
        EXPECT_TRUE(delete_folder_tree(root));
    }
    {
        // The default: "Log" beside the executable.
        CSCLog log;
        log.m_base_name = L"default_folder_check";
        log.write(0, L"", 1, L"default");
        EXPECT_EQ(log.m_folder, exe_folder + path_separator + L"Log");
        EXPECT_TRUE(file_exists(log.get_log_path()));
        const std::wstring path = log.get_log_path();
        log.close_file();
        log.m_closing = 1;  // keep the exit banner out of the file we delete
#ifdef _WIN32
        DeleteFileW(path.c_str());
#else
        std::remove(to_utf8(path).c_str());
#endif
    }
}

TEST(LogFile, UnwritableFolderLosesTheLineQuietly)
{
    scratch_folder folder(L"log_blocked");
    // A file where the log folder should be: the folder cannot be made.
    const std::wstring blocker = folder / L"blocker";
    ASSERT_TRUE(test_files::write_bytes(blocker, "x"));
    CSCLog log;
    log.m_folder = blocker + path_separator + L"Log";
    EXPECT_EQ(log.write(0, L"", 1, L"lost"), L"");
    EXPECT_EQ(log.m_file, nullptr);
    EXPECT_EQ(log.write(0, L"", 2, L"lost again"), L"") << "every call tries again and fails again";
    log.m_closing = 1;
}

TEST(LogFile, ClosingLogReturnsAtOnce)
{
    scratch_folder folder(L"log_closing");
    test_log t(folder.path());
    t.log.write(0, L"", 1, L"before");
    t.log.m_closing = 1;
    EXPECT_EQ(t.log.write(0, L"", 2, L"after"), L"");
    EXPECT_EQ(t.lines().size(), 1u);
    EXPECT_EQ(t.log.m_active_writers, 0);
}

TEST(LogFile, ThreadsNeverInterleave)
{
    scratch_folder folder(L"log_threads");
    test_log t(folder.path());
    constexpr int thread_count = 8;
    constexpr int lines_per_thread = 150;
    const std::wstring payload(200, L'가');
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int id = 0; id < thread_count; ++id) {
        threads.emplace_back([&, id] {
            ready.fetch_add(1);
            while (ready.load() < thread_count) {
                std::this_thread::yield();
            }
            for (int i = 0; i < lines_per_thread; ++i) {
                t.log.write(1, L"worker", id, L"thread=%d seq=%d %s end", id, i, payload.c_str());
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(t.log.m_active_writers, 0);
    const auto lines = t.lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(thread_count * lines_per_thread));
    const std::wregex shape(LR"(\[[0-9/ :.]{23}\]\[worker\]\[([0-9]+)\]\[info\] thread=([0-9]+) seq=([0-9]+) (가{200}) end)");
    std::map<int, int> next_seq;
    for (const auto& line : lines) {
        std::wsmatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << narrow(line);
        const int id = std::stoi(m[2].str());
        EXPECT_EQ(std::stoi(m[1].str()), id);
        EXPECT_EQ(std::stoi(m[3].str()), next_seq[id]++) << "lines of one thread keep their order";
    }
}
