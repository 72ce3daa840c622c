// The archive under Windows (Wine, Korean locale): names in code page 949, log
// files other programs hold open, the report's real figures and a whole save.
#include "archive_test_support.h"

#include "common/text_convert.h"
#include "common/text_convert_win.h"
#include "common/version_info.h"
#include "diag/archive/base64.h"
#include "diag/archive/check_report.h"
#include "diag/archive/save_logs.h"
#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_writer.h"
#include "support/win/environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

using namespace archive_test;
using namespace vantu::zip;
using test_support::env;
using test_support::wait_until;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// A handle the test keeps open the way a running program holds its log.
class HeldFile
{
public:
    HeldFile(const std::wstring& path, DWORD access, DWORD share)
    {
        m_handle = CreateFileW(path.c_str(), access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~HeldFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    bool ok() const { return m_handle != INVALID_HANDLE_VALUE; }
    // 2021-03-04 05:06:08 UTC as the last-write time.
    bool set_known_time()
    {
        SYSTEMTIME st{2021, 3, 0, 4, 5, 6, 8, 0};
        FILETIME ft;
        return SystemTimeToFileTime(&st, &ft) && SetFileTime(m_handle, nullptr, nullptr, &ft);
    }
    bool write(const std::string& text)
    {
        DWORD n = 0;
        return WriteFile(m_handle, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) && n == text.size();
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

const ZipEntryView* entry(const ZipView& view, const std::string& name)
{
    for (const auto& e : view.entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

} // namespace

TEST(ZipOnWindows, NamesUseTheKoreanCodePageOrFlaggedUtf8)
{
    ASSERT_EQ(949u, GetACP()) << "the tests run under a Korean locale";
    ScratchFolder scratch;
    const std::wstring src = scratch / L"src.txt";
    write_file(src, "contents");
    SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    const std::wstring korean = L"로그\\에이전트_로그.txt";
    const std::wstring thai = L"\x0E01\x0E02.log";

    const std::wstring zip = scratch / L"names.zip";
    ZipArchivePtr archive = zip_create(zip);
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipOk, zip_add_folder(archive.get(), L"로그"));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), korean, src));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), thai, src));
    EXPECT_EQ(kZipOk, zip_close(archive.get()));

    const ZipView view = read_zip(zip);
    ASSERT_TRUE(view.ok);
    ASSERT_EQ(3u, view.entries.size());
    EXPECT_EQ(wide_to_ansi(L"로그/"), view.entries[0].name);
    EXPECT_EQ(0x41800010u, view.entries[0].external);
    EXPECT_EQ(wide_to_ansi(L"로그/에이전트_로그.txt"), view.entries[1].name);
    EXPECT_EQ(0u, view.entries[1].flags);
    EXPECT_EQ(0x81000023u, view.entries[1].external) << "read-only, hidden, archive; no owner write";
    EXPECT_EQ(8u, view.entries[1].method);
    EXPECT_EQ("contents", view.entries[1].data);
    EXPECT_TRUE(view.entries[1].crc_ok);
    EXPECT_EQ(to_utf8(thai), view.entries[2].name);
    EXPECT_EQ(0x800u, view.entries[2].flags);
    SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ZipOnWindows, LogFilesHeldOpenByAnotherProgramArePacked)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"Logs";
    make_folder(logs);
    write_file(logs + L"\\free.log", "free\r\n");
    // A logger that lets others read while it writes.
    HeldFile shared(logs + L"\\shared.log", GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(shared.ok());
    ASSERT_TRUE(shared.write("written while held\r\n"));
    // A program that lets nobody read its file.
    HeldFile exclusive(logs + L"\\exclusive.log", GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(exclusive.ok());
    ASSERT_TRUE(exclusive.write("held without read sharing\r\n"));
    // The plain system copy cannot read it either.
    EXPECT_FALSE(CopyFileW((logs + L"\\exclusive.log").c_str(), (scratch / L"copy.log").c_str(), FALSE));

    const std::wstring zip = scratch / L"Vantu_log.zip";
    const ZipFolderReport report = zip_folder(logs, zip);
    EXPECT_EQ(kZipOk, report.close_result);
    EXPECT_TRUE(report.missing.empty());
    EXPECT_THAT(report.from_copy, ElementsAre(L"exclusive.log"));
    EXPECT_FALSE(exists(scratch / L"_temp_zip_file_.tmp"));

    const ZipView view = read_zip(zip);
    ASSERT_TRUE(view.ok);
    EXPECT_THAT(view.names(), ElementsAre("shared.log", "free.log", "exclusive.log"));
    ASSERT_NE(nullptr, entry(view, "exclusive.log"));
    EXPECT_EQ("held without read sharing\r\n", entry(view, "exclusive.log")->data);
    EXPECT_EQ("written while held\r\n", entry(view, "shared.log")->data);
}

namespace {

bool wait_for_file(const std::wstring& path, DWORD limit_ms)
{
    return wait_until([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, limit_ms);
}

} // namespace

// Run in a second process by the test below: holds the file given in
// VANTU_HOLD_FILE open without any sharing until VANTU_HOLD_RELEASE appears.
TEST(HeldFileHelper, DISABLED_HoldUntilReleased)
{
    const std::wstring path = env(L"VANTU_HOLD_FILE");
    const std::wstring release = env(L"VANTU_HOLD_RELEASE");
    ASSERT_FALSE(path.empty());
    HeldFile held(path, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(held.ok());
    ASSERT_TRUE(held.write("held by another process\r\n"));
    ASSERT_TRUE(held.set_known_time());
    write_file(path + L".ready", "");
    EXPECT_TRUE(wait_for_file(release, 120000));
}

TEST(ZipOnWindows, ALogHeldByAnotherProcessIsPackedFromACopy)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"Logs";
    make_folder(logs);
    write_file(logs + L"\\other.log", "other\r\n");
    const std::wstring held = logs + L"\\agent.log";
    const std::wstring release = scratch / L"release";

    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    SetEnvironmentVariableW(L"VANTU_HOLD_FILE", held.c_str());
    SetEnvironmentVariableW(L"VANTU_HOLD_RELEASE", release.c_str());
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=HeldFileHelper.DISABLED_HoldUntilReleased";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    const bool ready = wait_for_file(held + L".ready", 60000);
    DeleteFileW((held + L".ready").c_str());

    ZipFolderReport report;
    if (ready)
        report = zip_folder(logs, scratch / L"Vantu_log.zip");
    write_file(release, "");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD exit_code = 1;
    GetExitCodeProcess(pi.hProcess, &exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(ready) << "the holder did not start";
    EXPECT_EQ(0u, exit_code);

    EXPECT_THAT(report.from_copy, ElementsAre(L"agent.log"));
    EXPECT_TRUE(report.missing.empty());
    const ZipView view = read_zip(scratch / L"Vantu_log.zip");
    ASSERT_TRUE(view.ok);
    EXPECT_THAT(view.names(), ElementsAre("other.log", "agent.log"));
    ASSERT_NE(nullptr, entry(view, "agent.log"));
    EXPECT_EQ("held by another process\r\n", entry(view, "agent.log")->data);
    // The entry has the held file's own time, not the copy's.
    EXPECT_EQ(((2021 - 1980) << 9) | (3 << 5) | 4, entry(view, "agent.log")->dos_date);
    EXPECT_EQ((5 << 11) | (6 << 5) | 4, entry(view, "agent.log")->dos_time);
}

TEST(SaveLogsOnWindows, FullSaveWithTheMachinesFigures)
{
    ScratchFolder scratch;
    SaveLogsInput input = installed_product(scratch);
    CheckReportRow row;
    row.cells = {L"세션 서버", L"se.vantu", L"7002", L"t", L"10ms", L"Fail", L"90103"};
    input.rows = {row};
    write_file(scratch / L"Agent\\VantuHostSvr.exe", "MZ");
    write_file(scratch / L"Agent\\CrashHandler\\CrashHandler_1.log", "crash");
    write_file(scratch / L"AgentWeb\\web.dll", "MZ");
    write_file(scratch / L"Viewer\\VantuViewer.exe", "MZ");
    write_file(scratch / L"Logs\\Agent\\agent.log", "agent");
    write_file(scratch / L"Logs\\Viewer\\viewer.log", "viewer");
    HeldFile held(scratch / L"Logs\\Agent\\today.log", GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(held.ok());
    held.write("today");

    RecordingHost host(RecordingHost::Waits::NotRecorded);
    host.texts.systeminfo_text = L"호스트 이름: VANTU-PC";
    host.texts.security_text = L"[Windows Defender]\n켜짐\n\n";
    const SaveLogsOutcome out = save_logs(input, host);
    ASSERT_TRUE(out.archive_created);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_THAT(host.shown, ElementsAre(out.archive_path));
    EXPECT_EQ(kSaveLogsSteps, host.steps);
    EXPECT_THAT(host.calls, ElementsAre("disable", "hide", "enable"));

    const ZipView view = read_zip(out.archive_path);
    ASSERT_TRUE(view.ok);
    EXPECT_THAT(view.names(),
                ElementsAre("check_result.txt", "fileinfo_agent_app.txt", "fileinfo_agent_web.txt",
                            "fileinfo_customer.txt", "systeminfo.txt", "tasklist.txt", "network_info.txt",
                            "eventlog.txt", "CrashHandler_CrashHandler_1.log", "Vantu_log.zip", "Vantu_log_viewer.zip"));
    for (const auto& e : view.entries)
        EXPECT_TRUE(e.crc_ok) << e.name;

    EXPECT_EQ(base64_encode(wide_to_ansi(L"호스트 이름: VANTU-PC")) + std::string(1, '\0'),
              entry(view, "systeminfo.txt")->data);
    const std::string report = entry(view, "check_result.txt")->data;
    EXPECT_THAT(report, HasSubstr(to_utf8(L"version : " + get_version_string(L"", L"FileVersion") + L"\r\n")));
    EXPECT_THAT(report, HasSubstr(to_utf8(L"__test_for_create_file__.txt) : success\r\n")));
    EXPECT_THAT(report, HasSubstr("[Monitor Info]\r\n"));
    // "세션 서버" is 9 bytes in code page 949: the widest cell of its column.
    EXPECT_THAT(report, HasSubstr(to_utf8(L"000  세션 서버    se.vantu    7002    ")));

    // The inner archive holds the log that was held open.
    write_file(scratch / L"inner.zip", entry(view, "Vantu_log.zip")->data);
    EXPECT_THAT(read_zip(scratch / L"inner.zip").names(), ElementsAre("today.log", "agent.log"));

    // Only the archive is left in the work folder.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((scratch / L"Work\\*").c_str(), &fd);
    std::vector<std::wstring> left;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (fd.cFileName[0] != L'.')
                left.push_back(fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    EXPECT_THAT(left, ElementsAre(out.archive_path.substr(out.archive_path.find_last_of(L'\\') + 1)));
}

TEST(SaveLogsOnWindows, UnwritableWorkFolderGivesNoArchiveAndTheWindowBack)
{
    ScratchFolder scratch;
    write_file(scratch / L"Occupied", "a file where the folder should be");
    SaveLogsInput input;
    input.product_name = L"Vantu";
    input.log_paths = {scratch / L"Logs", L""};
    input.work_folder = scratch / L"Occupied\\Temp";
    RecordingHost host(RecordingHost::Waits::NotRecorded);
    const SaveLogsOutcome out = save_logs(input, host);
    EXPECT_FALSE(out.archive_created);
    EXPECT_TRUE(host.shown.empty());
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_THAT(host.messages[0], HasSubstr(input.work_folder));
    EXPECT_THAT(host.calls, ElementsAre("disable", "hide", "enable"));

    // The work folder of a real run: local application data followed by "\Temp".
    const std::wstring work = default_work_folder();
    EXPECT_EQ(L"\\Temp", work.substr(work.size() - 5));
    EXPECT_NE(std::wstring::npos, work.find(L"AppData\\Local")) << to_utf8(work);
}
