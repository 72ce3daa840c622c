// The log's text rules: tags, the line, leading line feeds, file names, folders,
// and the function name that SCLOG passes.
#include "common/log.h"
#include "common/log_line.h"

#include <gtest/gtest.h>

namespace {

local_time sample_time()
{
    local_time t;
    t.year = 2026;
    t.month = 12;
    t.day = 8;
    t.hour = 10;
    t.minute = 5;
    t.second = 3;
    t.millisecond = 42;
    return t;
}

}  // namespace

TEST(LogLine, LevelTags)
{
    EXPECT_STREQ(log_level_tag(0), L"");
    EXPECT_STREQ(log_level_tag(1), L"[info]");
    EXPECT_STREQ(log_level_tag(2), L"[warn]");
    EXPECT_STREQ(log_level_tag(3), L"[error]");
    EXPECT_STREQ(log_level_tag(4), L"[critical]");
    EXPECT_STREQ(log_level_tag(5), L"[sql]");
    EXPECT_STREQ(log_level_tag(6), L"");
    EXPECT_STREQ(log_level_tag(7), L"[debug]");
    EXPECT_STREQ(log_level_tag(8), L"");
    EXPECT_STREQ(log_level_tag(-1), L"");
}

TEST(LogLine, LineFormat)
{
    EXPECT_EQ(build_log_line(sample_time(), L"", L"339", 3, L"failed to create socket (error=10060)"),
              L"[2026/12/08 10:05:03.042][][339][error] failed to create socket (error=10060)");
    EXPECT_EQ(build_log_line(sample_time(), L"CMarloCheckToolDlg::check_server", L"", 0, L"send NMS_C_START"),
              L"[2026/12/08 10:05:03.042][CMarloCheckToolDlg::check_server][] send NMS_C_START");
    EXPECT_EQ(build_log_line(sample_time(), L"", L"", -4, L""), L"[2026/12/08 10:05:03.042][][] ");
    local_time early = sample_time();
    early.month = 1;
    early.day = 2;
    early.hour = 0;
    early.minute = 0;
    early.second = 9;
    early.millisecond = 7;
    EXPECT_EQ(build_log_line(early, L"f", L"1", 1, L"a\nb"), L"[2026/01/02 00:00:09.007][f][1][info] a\nb");
}

TEST(LogLine, LeadingLineFeeds)
{
    std::wstring m = L"\n\nbanner\n";
    EXPECT_EQ(strip_leading_line_feeds(m), 2u);
    EXPECT_EQ(m, L"banner\n");
    m = L"\n\n\n";
    EXPECT_EQ(strip_leading_line_feeds(m), 3u);
    EXPECT_EQ(m, L"");
    m = L"a\n";
    EXPECT_EQ(strip_leading_line_feeds(m), 0u);
    EXPECT_EQ(m, L"a\n");
    m.clear();
    EXPECT_EQ(strip_leading_line_feeds(m), 0u);
}

TEST(LogLine, FileNames)
{
    local_time t = sample_time();
    t.month = 3;
    t.day = 4;
    t.hour = 1;
    EXPECT_EQ(log_file_path(L"C:\\App\\Log", L"MarloCheckTool", t, false, L'\\'),
              L"C:\\App\\Log\\MarloCheckTool_20260304.log");
    EXPECT_EQ(log_file_path(L"C:\\App\\Log", L"MarloCheckTool", t, true, L'\\'),
              L"C:\\App\\Log\\MarloCheckTool_20260304_010503.log");
    EXPECT_EQ(log_file_path(L"/opt/app/Log", L"tool", t, false, L'/'), L"/opt/app/Log/tool_20260304.log");
}

TEST(LogLine, FolderRule)
{
    const std::wstring exe = L"C:\\Program Files\\Vantu";
    auto c = log_folder_from_setting(L"", exe, L'\\');
    EXPECT_EQ(c.folder, L"C:\\Program Files\\Vantu\\Log");
    EXPECT_FALSE(c.resolve_full_path);

    c = log_folder_from_setting(L"C:/x/y", exe, L'\\');
    EXPECT_EQ(c.folder, L"C:\\x\\y");
    EXPECT_FALSE(c.resolve_full_path);

    c = log_folder_from_setting(L"D:\\logs", exe, L'\\');
    EXPECT_EQ(c.folder, L"D:\\logs");
    EXPECT_FALSE(c.resolve_full_path);

    c = log_folder_from_setting(L"logs/today", exe, L'\\');
    EXPECT_EQ(c.folder, L"C:\\Program Files\\Vantu\\logs\\today");
    EXPECT_TRUE(c.resolve_full_path);

    c = log_folder_from_setting(L"..\\shared", exe, L'\\');
    EXPECT_EQ(c.folder, L"C:\\Program Files\\Vantu\\..\\shared");
    EXPECT_TRUE(c.resolve_full_path);

    // A drive letter alone ("C:" without a separator) is not a full path.
    c = log_folder_from_setting(L"C:logs", exe, L'\\');
    EXPECT_TRUE(c.resolve_full_path);

    c = log_folder_from_setting(L"//server/share/logs", exe, L'\\');
    EXPECT_EQ(c.folder, L"\\\\server\\share\\logs");
    EXPECT_FALSE(c.resolve_full_path);

    c = log_folder_from_setting(L"/var/log/vantu", L"/opt/vantu", L'/');
    EXPECT_EQ(c.folder, L"/var/log/vantu");
    EXPECT_FALSE(c.resolve_full_path);
    c = log_folder_from_setting(L"sub\\dir", L"/opt/vantu", L'/');
    EXPECT_EQ(c.folder, L"/opt/vantu/sub/dir");
    EXPECT_TRUE(c.resolve_full_path);
}

namespace vantu_log_naming {

struct CMarloCheckToolDlg
{
    static std::wstring check_server(int, const char*) { return vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION); }
    std::wstring lambda_inside()
    {
        return [] { return vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION); }();
    }
    bool operator()(int) const { return true; }
};

template <typename T>
struct Holder
{
    std::wstring get(T) { return vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION); }
};

}  // namespace vantu_log_naming

std::wstring free_function_name() { return vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION); }

namespace {
std::wstring hidden_function_name() { return vantu_log_detail::qualified_function_name(VANTU_LOG_FUNCTION); }
}  // namespace

TEST(LogLine, CallerFunctionNames)
{
    using namespace vantu_log_naming;
    EXPECT_EQ(CMarloCheckToolDlg::check_server(1, ""), L"vantu_log_naming::CMarloCheckToolDlg::check_server");
    EXPECT_EQ(CMarloCheckToolDlg().lambda_inside(), L"vantu_log_naming::CMarloCheckToolDlg::lambda_inside");
    EXPECT_EQ(Holder<std::wstring>().get(L""), L"vantu_log_naming::Holder::get");
    EXPECT_EQ(free_function_name(), L"free_function_name");
    EXPECT_EQ(hidden_function_name(), L"{anonymous}::hidden_function_name");
    EXPECT_EQ(vantu_log_detail::qualified_function_name("bool CMarloCheckToolDlg::check_server(CCheckParam&)"),
              L"CMarloCheckToolDlg::check_server");
    EXPECT_EQ(vantu_log_detail::qualified_function_name(
                  "std::map<int, std::basic_string<wchar_t> > A::b<int>::c(std::vector<int>) const"),
              L"A::b::c");
    EXPECT_EQ(vantu_log_detail::qualified_function_name("bool X::operator()(int) const"), L"X::operator()");
    EXPECT_EQ(vantu_log_detail::qualified_function_name("virtual BOOL CMarloCheckToolDlg::OnInitDialog()"),
              L"CMarloCheckToolDlg::OnInitDialog");
    EXPECT_EQ(vantu_log_detail::qualified_function_name("const char* Foo::name() const"), L"Foo::name");
    EXPECT_EQ(vantu_log_detail::qualified_function_name(nullptr), L"");
}
