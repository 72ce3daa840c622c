// The archive under Windows (Wine, Korean locale): names in code page 949, log
// files other programs hold open, the report's real figures and a whole save.
#include "archive_test_support.h"

#include "common/text_convert.h"
#include "common/text_convert_win.h"
#include "common/version_info.h"
#include "diag/archive/base64.h"
#include "diag/report/check_report.h"
#include "diag/archive/save_logs.h"
#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_writer.h"
#include "support/win/environment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

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

TEST(ZipOnWindows, LogsHeldWithReadSharingArePackedThoseHeldWithoutAreListedNotPacked)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"Logs";
    make_folder(logs);
    write_file(logs + L"\\free.log", "free\r\n");
    // A logger that lets others read while it writes.
    HeldFile shared(logs + L"\\shared.log", GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(shared.ok());
    ASSERT_TRUE(shared.write("written while held\r\n"));
    // A program that lets nobody read its file: neither an open nor the system's
    // copy can read it, and nothing else is tried.
    HeldFile exclusive(logs + L"\\exclusive.log", GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(exclusive.ok());
    ASSERT_TRUE(exclusive.write("held without read sharing\r\n"));

    const std::wstring zip = scratch / L"Vantu_log.zip";
    const ZipFolderReport report = zip_folder(logs, zip);
    EXPECT_EQ(kZipOk, report.close_result);
    EXPECT_THAT(report.missing, ElementsAre(logs + L"\\exclusive.log"));
    ASSERT_EQ(1u, report.skipped.size());
    EXPECT_EQ(SkipReason::locked, report.skipped[0].reason);
    EXPECT_TRUE(report.from_copy.empty());
    EXPECT_FALSE(exists(scratch / L"_temp_zip_file_.tmp"));

    const ZipView view = read_zip(zip);
    ASSERT_TRUE(view.ok);
    EXPECT_THAT(view.names(), ElementsAre("shared.log", "free.log"));
    EXPECT_EQ("written while held\r\n", entry(view, "shared.log")->data);
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
                ElementsAre("report.html", "check_result.txt", "fileinfo_agent_app.txt", "fileinfo_agent_web.txt",
                            "fileinfo_customer.txt", "systeminfo.txt", "tasklist.txt", "network_info.txt",
                            "eventlog.txt", "CrashHandler_CrashHandler_1.log", "Vantu_log.zip", "Vantu_log_viewer.zip",
                            "manifest.json"));
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

    // The log held without sharing is not packed, and the save says so.
    write_file(scratch / L"inner.zip", entry(view, "Vantu_log.zip")->data);
    EXPECT_THAT(read_zip(scratch / L"inner.zip").names(), ElementsAre("agent.log"));
    ASSERT_EQ(1u, out.not_packed.size());
    EXPECT_EQ(scratch / L"Logs\\Agent\\today.log", out.not_packed[0].source_path);
    EXPECT_THAT(report, HasSubstr(to_utf8(L"압축하지 못한 파일 : " + (scratch / L"Logs\\Agent\\today.log") +
                                          L" (다른 프로그램이 사용 중)\r\n")));

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

namespace {

char* unix_name_of(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return unix_name ? unix_name(path.c_str()) : nullptr;
}

// Runs a Unix program as a user of Wine would from a shell: Wine runs a Unix
// program given to CreateProcess. Arguments are paths, given as Wine sees them.
bool run_unix(const wchar_t* program, const wchar_t* options, const std::vector<std::wstring>& paths)
{
    std::wstring command = std::wstring(program) + L" " + options;
    for (const std::wstring& path : paths) {
        char* unix_path = unix_name_of(path);
        if (!unix_path)
            return false;
        command += L" \"" + ansi_to_wide(unix_path, CP_UTF8) + L"\"";
        HeapFree(GetProcessHeap(), 0, unix_path);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const std::wstring exe = std::wstring(L"Z:\\bin\\") + program;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hProcess) {
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return true;
}

// A Unix symbolic link, which Windows programs under Wine see as a plain folder;
// removed at the end, before the scratch folder (whose removal would follow it).
// Wine may report the Unix program's end before the program has done its work,
// so both ends wait until the link is seen made or gone: a removal of the scratch
// folder that races with `rm` was seen spinning forever in the library's walk.
class UnixLink
{
public:
    UnixLink(const std::wstring& target, const std::wstring& link) : m_link(link)
    {
        m_made = run_unix(L"ln", L"-s", {target, link}) &&
                 wait_until([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    }
    ~UnixLink()
    {
        if (run_unix(L"rm", L"-f", {m_link}))
            wait_until([&] { return GetFileAttributesW(m_link.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000);
    }
    bool made() const { return m_made; }

private:
    std::wstring m_link;
    bool m_made = false;
};

std::wstring documents_folder()
{
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path)
        out = path;
    CoTaskMemFree(path);
    return out;
}

} // namespace

TEST(SaveLogsOnWindows, HeldLogsALinkLoopAndAGuardedFolderDoNotStopTheSave)
{
    ScratchFolder scratch;
    SaveLogsInput input = installed_product(scratch);
    const std::wstring logs = scratch / L"Logs\\Agent";
    write_file(logs + L"\\agent.log", "agent");
    const UnixLink loop(logs, logs + L"\\loop");
    ASSERT_TRUE(loop.made()) << "a link back to its parent";
    HeldFile shared(logs + L"\\shared.log", GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(shared.write("written while held\r\n"));
    HeldFile exclusive(logs + L"\\exclusive.log", GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(exclusive.write("held without sharing\r\n"));
    // A tampered check list names the user's Documents as the viewer's logs.
    const std::wstring documents = documents_folder();
    ASSERT_FALSE(documents.empty());
    CreateDirectoryW(documents.c_str(), nullptr);
    input.log_paths[1] = documents;

    RecordingHost host(RecordingHost::Waits::NotRecorded);
    const SaveLogsOutcome out = save_logs(input, host);
    ASSERT_TRUE(out.archive_created);
    EXPECT_THAT(host.shown, ElementsAre(out.archive_path));
    EXPECT_TRUE(host.messages.empty());

    const ZipView view = read_zip(out.archive_path);
    ASSERT_TRUE(view.ok);
    EXPECT_THAT(view.names(), testing::Not(testing::Contains("Vantu_log_viewer.zip")));
    write_file(scratch / L"inner.zip", entry(view, "Vantu_log.zip")->data);
    const ZipView inner = read_zip(scratch / L"inner.zip");
    EXPECT_THAT(inner.names(), ElementsAre("shared.log", "agent.log"));
    EXPECT_EQ("written while held\r\n", entry(inner, "shared.log")->data);

    ASSERT_EQ(1u, out.not_packed.size());
    EXPECT_EQ(logs + L"\\exclusive.log", out.not_packed[0].source_path);
    EXPECT_EQ(SkipReason::locked, out.not_packed[0].reason);
    ASSERT_EQ(1u, out.refused.size());
    EXPECT_EQ(documents, out.refused[0].path);
    EXPECT_EQ(GuardVerdict::known_folder, out.refused[0].verdict);
    const std::string report = entry(view, "check_result.txt")->data;
    EXPECT_THAT(report, HasSubstr(to_utf8(L"압축하지 않은 폴더 : " + documents + L" (사용자 개인 폴더)\r\n")));
    EXPECT_THAT(report, HasSubstr(to_utf8(L"압축하지 못한 파일 : " + logs + L"\\exclusive.log (다른 프로그램이 사용 중)\r\n")));
}
