// The whole log saving in the native tree with a recording host: every expected
// entry in the final archive, work files removed, the window's steps, failures.
#include "archive_test_support.h"

#include "common/text_convert.h"
#include "diag/archive/archive_name.h"
#include "diag/archive/base64.h"
#include "diag/archive/save_logs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include <sstream>

using namespace archive_test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

std::vector<std::string> names_in(const std::wstring& zip)
{
    return lines_of(run("zipinfo -1 '" + narrow(zip) + "'").output);
}

struct Installation
{
    explicit Installation(const ScratchFolder& s)
    {
        input = installed_product(s);
        CheckReportRow r;
        r.cells = {L"session", L"se.vantu", L"7002", L"t", L"10ms", L"Fail", L"90103"};
        input.rows = {r};
        input.result_text = [](std::int32_t, bool) { return std::wstring(L"no connection"); };
        write_file(s / L"Agent/VantuHostSvr.exe", "MZ");
        write_file(s / L"Agent/CrashHandler_20250502.log", "crash in agent folder");
        write_file(s / L"Agent/CrashHandlerLogs/CrashHandler_old.log", "crash in its own folder");
        write_file(s / L"Agent/bin/CrashHandler_hidden.log", "not in a CrashHandler folder");
        write_file(s / L"Viewer/VantuViewer.exe", "MZ");
        write_file(s / L"Logs/Agent/agent.log", "agent log");
        write_file(s / L"Logs/Agent/old/agent1.log", "old agent log");
        write_file(s / L"Logs/Viewer/viewer.log", "viewer log");
        host.texts.systeminfo_text = L"Host Name: VANTU-PC";
        host.texts.tasklist_text = L"Image Name\n=====\nVantuHostSvr.exe";
        host.texts.network_text = L"[ipconfig /all]\nIPv4\n\n";
        host.texts.security_text = L"[Windows Defender]\nOn\n\n";
        host.texts.scm_events_text = L"Event[0]:\n  VantuServer.exe stopped\n";
    }
    SaveLogsInput input;
    RecordingHost host;
};

} // namespace

TEST(SaveLogs, FullSavePacksEveryExpectedEntryAndCleansTheWorkFolder)
{
    ScratchFolder scratch;
    Installation inst(scratch);
    const SaveLogsOutcome out = save_logs(inst.input, inst.host);

    ASSERT_TRUE(out.archive_created);
    EXPECT_TRUE(exists(out.archive_path));
    EXPECT_THAT(inst.host.shown, ElementsAre(out.archive_path));
    EXPECT_TRUE(inst.host.messages.empty());
    EXPECT_EQ(kSaveLogsSteps, inst.host.steps);
    EXPECT_THAT(inst.host.calls, ElementsAre("disable", "wait", "hide", "enable"));
    EXPECT_EQ(0u, out.archive_path.rfind(scratch / L"Work/Vantu_", 0));

    // AgentWeb is not installed: its listing is missing and nothing else.
    EXPECT_THAT(names_in(out.archive_path),
                ElementsAre("report.html", "check_result.txt", "fileinfo_agent_app.txt", "fileinfo_customer.txt",
                            "systeminfo.txt", "tasklist.txt", "network_info.txt", "eventlog.txt",
                            "CrashHandlerLogs_CrashHandler_old.log", "Agent_CrashHandler_20250502.log",
                            "Vantu_log.zip", "Vantu_log_viewer.zip", "manifest.json"));
    const CommandResult test = run("unzip -t '" + narrow(out.archive_path) + "'");
    EXPECT_EQ(0, test.exit_code) << test.output;

    // Only the archive stays in the work folder; crash logs stay where they were.
    EXPECT_THAT(lines_of(run("ls '" + narrow(scratch / L"Work") + "'").output),
                ElementsAre(narrow(out.archive_path.substr(out.archive_path.find_last_of(L"/") + 1))));
    EXPECT_TRUE(exists(scratch / L"Agent/CrashHandler_20250502.log"));
    EXPECT_TRUE(out.left_over.empty());

    const std::string zip = narrow(out.archive_path);
    EXPECT_EQ(base64_encode("Host Name: VANTU-PC") + std::string(1, '\0'),
              run("unzip -p '" + zip + "' systeminfo.txt").output);
    EXPECT_EQ("\xEF\xBB\xBFImage Name\r\n=====\r\nVantuHostSvr.exe", run("unzip -p '" + zip + "' tasklist.txt").output);
    const std::string report = run("unzip -p '" + zip + "' check_result.txt").output;
    EXPECT_THAT(report, HasSubstr("Fail        session  se.vantu:7002  error 90103  no connection\r\n"));
    EXPECT_THAT(report, HasSubstr("[Windows Defender]\r\nOn\r\n\r\n[Server Check Result]\r\n"));
    EXPECT_THAT(run("unzip -p '" + zip + "' eventlog.txt").output, HasSubstr("VantuServer.exe stopped"));

    // The inner archive holds the agent's log tree.
    run("unzip -p '" + zip + "' Vantu_log.zip > '" + narrow(scratch / L"inner.zip") + "'");
    EXPECT_THAT(names_in(scratch / L"inner.zip"), ElementsAre("old/", "old/agent1.log", "agent.log"));

    // The manifest proves every entry, the inner archives' too, to an independent reader.
    const char* source = std::getenv("VANTU_SOURCE_DIR");
    ASSERT_TRUE(source);
    const CommandResult verified = run("python3 '" + std::string(source) + "/tools/verify-manifest' '" + zip + "'");
    EXPECT_EQ(0, verified.exit_code) << verified.output;
    EXPECT_THAT(verified.output, HasSubstr("ok: 16 entries match the manifest"));
    EXPECT_EQ(12, out.manifest.entries);
    EXPECT_EQ(4, out.manifest.inner_entries); // 3 of the agent, 1 of the viewer
    // The front page lists the entries, itself and the manifest without a size.
    const std::string page = run("unzip -p '" + zip + "' report.html").output;
    EXPECT_THAT(page, HasSubstr("<td>Vantu_log.zip</td>"));
    EXPECT_THAT(page, HasSubstr("<tr><td>manifest.json</td><td class=\"num\">-</td></tr>"));
}

TEST(SaveLogs, SameViewerFolderMissingAgentLogsAndStaleInnerArchives)
{
    ScratchFolder scratch;
    Installation inst(scratch);
    // The same folder in other letters: one log archive only.
    inst.input.log_paths[1] = scratch / L"LOGS/AGENT";
    const SaveLogsOutcome out = save_logs(inst.input, inst.host);
    ASSERT_TRUE(out.archive_created);
    std::vector<std::string> names = names_in(out.archive_path);
    EXPECT_THAT(names, testing::Contains("Vantu_log.zip"));
    EXPECT_THAT(names, testing::Not(testing::Contains("Vantu_log_viewer.zip")));
    EXPECT_EQ("Vantu_log.zip", names[names.size() - 2]);
    EXPECT_EQ("manifest.json", names.back());

    // No agent log folder: no agent log archive, even when an earlier run left one.
    write_file(scratch / L"Work/Vantu_log.zip", "stale");
    inst.input.log_paths = {scratch / L"NoLogs", L""};
    RecordingHost again;
    again.texts = inst.host.texts;
    const SaveLogsOutcome second = save_logs(inst.input, again);
    ASSERT_TRUE(second.archive_created);
    names = names_in(second.archive_path);
    EXPECT_THAT(names, testing::Not(testing::Contains("Vantu_log.zip")));
    EXPECT_THAT(names, testing::Not(testing::Contains("Vantu_log_viewer.zip")));
    EXPECT_EQ("Agent_CrashHandler_20250502.log", names[names.size() - 2]);
    EXPECT_FALSE(exists(scratch / L"Work/Vantu_log.zip"));
}

TEST(SaveLogs, UnusableWorkFolderGivesNoArchiveAMessageAndTheWindowBack)
{
    ScratchFolder scratch;
    Installation inst(scratch);
    write_file(scratch / L"NotAFolder", "a file where the work folder should be");
    inst.input.work_folder = scratch / L"NotAFolder/Temp";
    const SaveLogsOutcome out = save_logs(inst.input, inst.host);
    EXPECT_FALSE(out.archive_created);
    EXPECT_TRUE(inst.host.shown.empty());
    ASSERT_EQ(1u, inst.host.messages.size());
    EXPECT_THAT(inst.host.messages[0], HasSubstr(L"작업 폴더"));
    EXPECT_THAT(inst.host.messages[0], HasSubstr(inst.input.work_folder));
    EXPECT_THAT(inst.host.calls, ElementsAre("disable", "wait", "hide", "enable"));
    // The product's logs are untouched.
    EXPECT_EQ("agent log", read_file(scratch / L"Logs/Agent/agent.log"));
}

TEST(SaveLogs, AnArchiveThatCannotBeMadeKeepsEveryWorkFile)
{
    ScratchFolder scratch;
    Installation inst(scratch);
    // Folders stand where the final archive of the next seconds would be written.
    const std::int64_t now = current_unix_time();
    for (int k = 0; k < 30; ++k)
        make_folder(scratch / (L"Work/Vantu_" +
                               archive_time_stamp(local_time_from_unix(now + k), current_ui_language()) + L".zip"));
    const SaveLogsOutcome out = save_logs(inst.input, inst.host);
    EXPECT_FALSE(out.archive_created);
    EXPECT_TRUE(inst.host.shown.empty());
    ASSERT_EQ(1u, inst.host.messages.size());
    EXPECT_THAT(inst.host.messages[0], HasSubstr(out.archive_path));
    EXPECT_THAT(inst.host.calls, ElementsAre("disable", "wait", "hide", "enable"));
    // Nothing was deleted: the report, the texts and the log archive wait in the work folder.
    EXPECT_TRUE(exists(scratch / L"Work/check_result.txt"));
    EXPECT_TRUE(exists(scratch / L"Work/systeminfo.txt"));
    EXPECT_TRUE(exists(scratch / L"Work/eventlog.txt"));
    EXPECT_TRUE(exists(scratch / L"Work/Vantu_log.zip"));
    EXPECT_EQ(7u, out.left_over.size()) << "report, two listings, four texts";
}

TEST(SaveLogs, ArchiveTimeStampAndEncodings)
{
    local_time t;
    t.year = 2025;
    t.month = 5;
    t.day = 2;
    t.hour = 14;
    t.minute = 3;
    t.second = 9;
    EXPECT_EQ(L"20250502140309", archive_time_stamp(t, 1042));
    EXPECT_EQ(L"522025140309", archive_time_stamp(t, 1033));
    t.month = 12;
    t.day = 31;
    t.hour = 0;
    EXPECT_EQ(L"12312025000309", archive_time_stamp(t, 1033));

    EXPECT_EQ("", base64_encode(""));
    EXPECT_EQ("Zg==", base64_encode("f"));
    EXPECT_EQ("Zm8=", base64_encode("fo"));
    EXPECT_EQ("Zm9v", base64_encode("foo"));
    EXPECT_EQ("+/8=", base64_encode("\xfb\xff"));
    EXPECT_EQ(std::string("Zm9v") + '\0', systeminfo_file_bytes(L"foo"));
}

TEST(SaveLogs, GuardedFoldersAndFilesNotPackedAreReportedAndTheSaveFinishes)
{
    ScratchFolder scratch;
    Installation inst(scratch);
    // The user's Documents named as the viewer's logs by a tampered check list.
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", narrow(scratch / L"Home").c_str(), 1);
    write_file(scratch / L"Home/Documents/private.txt", "private");
    inst.input.log_paths[1] = scratch / L"Home/Documents";
    // A log that vanishes between listing and packing (a dangling link).
    run("ln -s '" + narrow(scratch / L"gone.log") + "' '" + narrow(scratch / L"Logs/Agent/rotated.log") + "'");
    const SaveLogsOutcome out = save_logs(inst.input, inst.host);
    setenv("HOME", home.c_str(), 1);

    ASSERT_TRUE(out.archive_created);
    EXPECT_THAT(inst.host.shown, ElementsAre(out.archive_path));
    ASSERT_EQ(1u, out.refused.size());
    EXPECT_EQ(inst.input.log_paths[1], out.refused[0].path);
    ASSERT_EQ(1u, out.not_packed.size());
    EXPECT_EQ(vantu::zip::SkipReason::vanished, out.not_packed[0].reason);
    ASSERT_EQ(1u, out.inner.size());
    EXPECT_EQ(L"Vantu_log.zip", out.inner[0].name);
    EXPECT_EQ(L"old", out.inner[0].records[0].name);
    EXPECT_EQ(out.records.size(), names_in(out.archive_path).size());
    EXPECT_EQ(L"report.html", out.records[0].name);
    EXPECT_EQ(L"check_result.txt", out.records[1].name);
    EXPECT_EQ(64u, out.records[1].sha256.size());
    EXPECT_EQ(1, out.manifest.not_packed);
    EXPECT_EQ(1, out.manifest.refused);

    const std::vector<std::string> names = names_in(out.archive_path);
    EXPECT_THAT(names, testing::Not(testing::Contains("Vantu_log_viewer.zip")));
    const std::string report = run("unzip -p '" + narrow(out.archive_path) + "' check_result.txt").output;
    EXPECT_THAT(report, HasSubstr("\r\n[Log Archive]\r\n"));
    EXPECT_THAT(report, HasSubstr(to_utf8(L"압축하지 않은 폴더 : " + inst.input.log_paths[1] + L" (사용자 개인 폴더)\r\n")));
    EXPECT_THAT(report, HasSubstr(to_utf8(L"압축하지 못한 파일 : " + (scratch / L"Logs/Agent/rotated.log") +
                                          L" (파일이 없어짐)\r\n")));
}
