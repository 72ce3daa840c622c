// The product file listing: order, row format, missing folders.
#include "diag/archive/archive_test_support.h"

#include "diag/report/file_info_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace archive_test;
using testing::HasSubstr;

namespace {

const std::wstring kDashes = std::wstring(123, L'-') + L"\n";

std::wstring left(const std::wstring& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

std::wstring right(const std::wstring& text, std::size_t width)
{
    return text.size() >= width ? text : std::wstring(width - text.size(), L' ') + text;
}

std::wstring line(const std::wstring& a, const std::wstring& b, const std::wstring& c, const std::wstring& d,
                  const std::wstring& e, const std::wstring& f)
{
    return left(a, 30) + L"  " + left(b, 19) + L"  " + right(c, 16) + L"  " + left(d, 20) + L"  " + left(e, 20) +
           L"  " + left(f, 40) + L"\n";
}

std::wstring header()
{
    return line(L"filename", L"date/time", L"size(B)", L"file version", L"product version", L"description");
}

} // namespace

TEST(FileInfoListing, TextWithHeaderRowsAndDashes)
{
    FileInfoRow r;
    r.name = L"VantuHostSvr.exe";
    r.date_time = L"2025-05-02 14:03:09";
    r.size = 1234567;
    r.file_version = L"1.2.3.4";
    r.product_version = L"1.2";
    r.description = L"Vantu agent service with a description longer than forty characters";
    const std::wstring text = file_info_listing_text(L"Vantu", L"C:\\Vantu\\Agent", {r});
    std::wstring expected = L"[Vantu File Information]\n\ninstall folder : C:\\Vantu\\Agent\n\n";
    expected += header() + kDashes;
    expected += line(L"VantuHostSvr.exe", L"2025-05-02 14:03:09", L"1,234,567", L"1.2.3.4", L"1.2",
                     L"Vantu agent service with a description longer than forty characters");
    expected += kDashes;
    EXPECT_EQ(expected, text);
    EXPECT_EQ(L"0", thousands_text(0));
    EXPECT_EQ(L"999", thousands_text(999));
    EXPECT_EQ(L"1,000", thousands_text(1000));
    EXPECT_EQ(L"18,446,744,073,709,551,615", thousands_text(UINT64_MAX));
}

TEST(FileInfoListing, FilesOfTheFolderTreeInDescendingNaturalOrder)
{
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("LANG", "ko_KR.UTF-8", 1);
    ScratchFolder scratch;
    const std::wstring root = scratch / L"Agent";
    write_file(root + L"/name2.txt", "22");
    write_file(root + L"/name10.txt", "1010");
    write_file(root + L"/Zeta.dll", std::string(1500, 'z'));
    write_file(root + L"/alpha.txt", "");
    write_file(root + L"/sub/name2.txt", "sub");
    set_times(root + L"/Zeta.dll", 1746194589, 1746194589); // 2025-05-02 14:03:09 UTC

    const std::vector<FileInfoRow> rows = collect_file_info(root);
    std::vector<std::wstring> names;
    for (const auto& r : rows)
        names.push_back(r.name);
    // Z before the subfolder ("sub") before n..., name10 before name2, alpha last.
    EXPECT_THAT(names, testing::ElementsAre(L"Zeta.dll", L"name2.txt", L"name10.txt", L"name2.txt", L"alpha.txt"));
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(1500u, rows[0].size);
    EXPECT_EQ(L"2025-05-02 14:03:09", rows[0].date_time);
    EXPECT_EQ(3u, rows[1].size) << "the subfolder's name2.txt comes first";
    EXPECT_TRUE(rows[0].file_version.empty());

    const std::wstring out = scratch / L"fileinfo_agent_app.txt";
    EXPECT_EQ(ListingOutcome::written, write_file_info_listing(out, L"Vantu", root));
    const std::string bytes = read_file(out);
    EXPECT_EQ(0u, bytes.rfind("\xEF\xBB\xBF[Vantu File Information]\r\n\r\ninstall folder : ", 0));
    std::wstring zeta = line(L"Zeta.dll", L"2025-05-02 14:03:09", L"1,500", L"", L"", L"");
    zeta.pop_back();
    EXPECT_THAT(bytes, HasSubstr("\r\n" + narrow(zeta) + "\r\n"));
}

TEST(FileInfoListing, ALinkedFolderIsListedOnceAndALoopEndsThere)
{
    ScratchFolder scratch;
    const std::wstring root = scratch / L"Agent";
    write_file(root + L"/app.exe", "app");
    write_file(scratch / L"Elsewhere/plugin.dll", "plugin");
    const std::string r = narrow(root);
    run("ln -s '" + narrow(scratch / L"Elsewhere") + "' '" + r + "/plugins'"); // a junction to the plug-ins
    run("ln -s '" + narrow(scratch / L"Elsewhere") + "' '" + r + "/again'");   // a second path to them
    run("ln -s '" + r + "' '" + r + "/loop'");                                 // back to the product folder

    std::vector<std::wstring> names;
    for (const auto& row : collect_file_info(root))
        names.push_back(row.name);
    EXPECT_THAT(names, testing::ElementsAre(L"plugin.dll", L"app.exe"));
}

TEST(FileInfoListing, EmptyMissingAndUnwritable)
{
    ScratchFolder scratch;
    make_folder(scratch / L"Empty");
    const std::wstring out = scratch / L"fileinfo_customer.txt";
    EXPECT_EQ(ListingOutcome::written, write_file_info_listing(out, L"Vantu", scratch / L"Empty"));
    const std::string bytes = read_file(out);
    const std::string dashes(123, '-');
    std::wstring h = header();
    h.pop_back();
    EXPECT_EQ("\xEF\xBB\xBF[Vantu File Information]\r\n\r\ninstall folder : " + narrow(scratch / L"Empty") +
                  "\r\n\r\n" + narrow(h) + "\r\n" + dashes + "\r\n" + dashes + "\r\n",
              bytes);

    const std::wstring none = scratch / L"fileinfo_agent_web.txt";
    EXPECT_EQ(ListingOutcome::no_folder, write_file_info_listing(none, L"Vantu", scratch / L"NotInstalled"));
    EXPECT_EQ(ListingOutcome::no_folder, write_file_info_listing(none, L"Vantu", L""));
    EXPECT_FALSE(exists(none));
    EXPECT_EQ(ListingOutcome::cannot_create,
              write_file_info_listing(scratch / L"no/such/out.txt", L"Vantu", scratch / L"Empty"));
}
