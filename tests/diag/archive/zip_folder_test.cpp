// Packing a log folder tree: entry order, folder entries, files held open by
// another program, and a folder that is not there.
#include "archive_test_support.h"

#include "diag/archive/zip_folder.h"
#include "diag/archive/folder_guard.h"
#include "diag/archive/zip_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vantu::zip;
using namespace archive_test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

bool ends_with(const std::wstring& s, const std::wstring& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> listed_names(const std::wstring& zip)
{
    // zipinfo -1 prints the names in directory order.
    const CommandResult r = run("zipinfo -1 '" + narrow(zip) + "'");
    std::vector<std::string> names;
    std::string line;
    for (char c : r.output) {
        if (c == '\n') {
            names.push_back(line);
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    return names;
}

} // namespace

TEST(ZipFolder, PacksTheTreeInDescendingNaturalOrderWithFolderEntries)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"logs";
    write_file(logs + L"/agent2.log", "two");
    write_file(logs + L"/agent10.log", "ten");
    write_file(logs + L"/Z.log", "zed");
    write_file(logs + L"/sub/a.log", "a");
    write_file(logs + L"/sub/b.log", "b");
    write_file(logs + L"/sub/c.log", "c");
    make_folder(logs + L"/empty");

    const std::wstring zip = scratch / L"Vantu_log.zip";
    const ZipFolderReport report = zip_folder(logs, zip);
    EXPECT_TRUE(report.created);
    EXPECT_EQ(kZipOk, report.close_result);
    EXPECT_TRUE(report.missing.empty());
    // Every file of a subfolder is preceded by the subfolder's entry.
    EXPECT_THAT(listed_names(zip), ElementsAre("Z.log", "sub/", "sub/c.log", "sub/", "sub/b.log", "sub/", "sub/a.log",
                                               "agent10.log", "agent2.log"));
    const CommandResult test = run("unzip -t '" + narrow(zip) + "'");
    EXPECT_EQ(0, test.exit_code) << test.output;
    const CommandResult seven = run("7z t '" + narrow(zip) + "'");
    EXPECT_EQ(0, seven.exit_code) << seven.output;
}

TEST(ZipFolder, AFileThatCannotBeOpenedIsPackedFromACopyUnderItsOwnName)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"logs";
    write_file(logs + L"/held.log", "held by the agent\r\n");
    set_times(logs + L"/held.log", 1614834368, 1614834368); // 2021-03-04 05:06:08 UTC
    write_file(logs + L"/free.log", "free\r\n");
    write_file(logs + L"/stuck.log", "cannot even be copied\r\n");

    ZipFolderOptions options;
    // The agent holds held.log and stuck.log open: a direct open fails.
    options.zip.open_file = [](const std::wstring& path) -> std::unique_ptr<SourceFile> {
        if (ends_with(path, L"held.log") || ends_with(path, L"stuck.log"))
            return nullptr;
        return open_source(path);
    };
    std::vector<std::wstring> copied_to;
    options.copy_file = [&](const std::wstring& from, const std::wstring& to) {
        copied_to.push_back(to);
        if (ends_with(from, L"stuck.log"))
            return false;
        return copy_held_file(from, to);
    };
    const std::wstring zip = scratch / L"Vantu_log.zip";
    const ZipFolderReport report = zip_folder(logs, zip, options);
    EXPECT_EQ(kZipOk, report.close_result);
    EXPECT_THAT(report.from_copy, ElementsAre(L"held.log"));
    ASSERT_EQ(1u, report.missing.size());
    EXPECT_TRUE(ends_with(report.missing[0], L"stuck.log"));
    ASSERT_EQ(2u, copied_to.size());
    EXPECT_EQ(scratch / L"_temp_zip_file_.tmp", copied_to[0]);
    EXPECT_FALSE(exists(scratch / L"_temp_zip_file_.tmp")) << "the copy is removed";

    EXPECT_THAT(listed_names(zip), ElementsAre("held.log", "free.log"));
    const CommandResult content = run("unzip -p '" + narrow(zip) + "' held.log");
    EXPECT_EQ("held by the agent\r\n", content.output);
    // The entry has the held file's own time, not the copy's.
    const ZipView view = read_zip(zip);
    ASSERT_TRUE(view.ok);
    EXPECT_EQ(((2021 - 1980) << 9) | (3 << 5) | 4, view.entries[0].dos_date);
    EXPECT_EQ((5 << 11) | (6 << 5) | 4, view.entries[0].dos_time);
    // The sources are untouched.
    EXPECT_EQ("cannot even be copied\r\n", read_file(logs + L"/stuck.log"));
}

TEST(ZipFolder, AMissingFolderMakesNoArchive)
{
    ScratchFolder scratch;
    const std::wstring zip = scratch / L"Vantu_log.zip";
    EXPECT_FALSE(zip_folder(scratch / L"no-such-logs", zip).created);
    EXPECT_FALSE(zip_folder(L"", zip).created);
    EXPECT_FALSE(exists(zip));

    // An empty folder gives an empty, valid archive.
    make_folder(scratch / L"empty");
    const ZipFolderReport report = zip_folder(scratch / L"empty", zip);
    EXPECT_TRUE(report.created);
    EXPECT_EQ(kZipOk, report.close_result);
    EXPECT_TRUE(exists(zip));
}

TEST(ZipFolder, LinkedFoldersAreFollowedOnceAndNeverToAProtectedFolder)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"Log";
    write_file(logs + L"/agent.log", "agent");
    write_file(scratch / L"Elsewhere/kept.log", "behind a link");
    write_file(scratch / L"Home/Documents/private.txt", "never packed");
    const std::string l = narrow(logs);
    run("ln -s '" + l + "' '" + l + "/loop'");                                    // back to its parent
    run("ln -s '" + narrow(scratch / L"Elsewhere") + "' '" + l + "/linked'");     // logs kept elsewhere
    run("ln -s '" + narrow(scratch / L"Elsewhere") + "' '" + l + "/second'");     // a second path to them
    run("ln -s '" + narrow(scratch / L"Home/Documents") + "' '" + l + "/docs'");  // a protected folder
    run("ln -s / '" + l + "/root'");                                              // the drive root

    ZipFolderOptions options;
    ProtectedFolders machine;
    machine.user_profile = scratch / L"Home";
    machine.known = {scratch / L"Home/Documents"};
    options.judge_folder = [&](const std::wstring& path) { return guard_folder(path, machine); };
    const std::wstring zip = scratch / L"Vantu_log.zip";
    const ZipFolderReport report = zip_folder(logs, zip, options);
    EXPECT_EQ(kZipOk, report.close_result);
    // Subfolders are walked in packing order: "second" is met before "linked".
    EXPECT_THAT(listed_names(zip), ElementsAre("second/", "second/kept.log", "agent.log"));
    EXPECT_THAT(report.repeats, ElementsAre(logs + L"/loop", logs + L"/linked"));
    ASSERT_EQ(2u, report.refused.size());
    EXPECT_EQ(logs + L"/root", report.refused[0].path);
    EXPECT_EQ(GuardVerdict::drive_root, report.refused[0].verdict);
    EXPECT_EQ(logs + L"/docs", report.refused[1].path);
    EXPECT_EQ(GuardVerdict::known_folder, report.refused[1].verdict);
    EXPECT_EQ(0, run("unzip -t '" + narrow(zip) + "'").exit_code);
}
