// --save writes the same log archive as the dialog's save button: the dialog
// program and marlocheck.exe are run on the same check list, product folders
// and logs, and their archives are read back and compared entry by entry.
#include "console/marlocheck_test_support.h"
#include "support/win/process_windows.h"

namespace {

using namespace console_test;

const int kStartButton = 1009, kSaveButton = 1010;
const wchar_t kMainTitlePrefix[] = L"Vantu Check Tool (ver. ";

// The dialog program, copied into a folder of its own (its log goes beside it).
class DialogProgram
{
public:
    explicit DialogProgram(const std::wstring& folder) : m_folder(folder)
    {
        m_exe = folder + L"\\MarloCheckTool.exe";
        CopyFileW(wine_path(VANTU_APP_EXE).c_str(), m_exe.c_str(), FALSE);
    }
    ~DialogProgram() { end_process(m_process); }
    bool start()
    {
        std::wstring cmd = L"\"" + m_exe + L"\" " + web_host_option();
        return start_apart_from_output(m_exe, cmd, m_folder, m_process);
    }
    DWORD pid() const { return m_process.dwProcessId; }

private:
    std::wstring m_folder;
    std::wstring m_exe;
    PROCESS_INFORMATION m_process{};
};

std::vector<std::wstring> archives_in(const std::wstring& folder)
{
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\Vantu_*.zip").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return found;
    do {
        found.push_back(folder + L"\\" + fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
}

void remove_archives(const std::wstring& folder)
{
    for (const std::wstring& path : archives_in(folder))
        DeleteFileW(path.c_str());
}

// Names of the archive's entries, and of the entries of the archives inside it.
std::vector<std::string> entry_names(const std::wstring& archive, const std::wstring& scratch)
{
    std::vector<std::string> names;
    const archive_test::ZipView view = archive_test::read_zip(archive);
    EXPECT_TRUE(view.ok) << "unreadable archive";
    for (const archive_test::ZipEntryView& e : view.entries) {
        EXPECT_TRUE(e.crc_ok) << e.name;
        names.push_back(e.name);
        if (e.name.size() > 4 && e.name.compare(e.name.size() - 4, 4, ".zip") == 0) {
            const std::wstring inner = scratch + L"\\inner.zip";
            archive_test::write_file(inner, e.data);
            for (const std::string& n : archive_test::read_zip(inner).names())
                names.push_back(e.name + " > " + n);
            DeleteFileW(inner.c_str());
        }
    }
    return names;
}

} // namespace

TEST(MarlocheckSave, TheArchiveHasTheEntriesOfTheDialogsArchive)
{
    ASSERT_GT(test_server_port(L"VANTU_TS_HTTP_PORT"), 0) << "the test server's ports are missing";
    server_call(L"/__control/reset", L"POST");
    archive_test::ScratchFolder scratch;

    // A product with a crash-handler log, agent logs in a subfolder, viewer logs.
    const std::wstring agent = scratch / L"Agent";
    archive_test::write_file(agent + L"\\CrashHandler_20261208.log", "crash\r\n");
    archive_test::write_file(agent + L"\\readme.txt", "not packed\r\n");
    const std::wstring agent_log = scratch / L"Logs\\Agent";
    archive_test::write_file(agent_log + L"\\agent.log", "agent line\r\n");
    archive_test::write_file(agent_log + L"\\old\\agent-1.log", "older line\r\n");
    const std::wstring viewer_log = scratch / L"Logs\\Viewer";
    archive_test::write_file(viewer_log + L"\\viewer.log", "viewer line\r\n");
    serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + ", " +
                                   entry(L"VANTU_TS_TQS_WRONG_COMMAND_PORT") + "]",
                               agent_log, viewer_log, agent));

    // marlocheck --save prints the archive's path last.
    RunResult console = run_marlocheck(web_host_option() + L" --save");
    ASSERT_EQ(console.status, 1u) << console.out << console.err;
    ASSERT_FALSE(console.lines.empty());
    const std::wstring console_archive = from_utf8(console.lines.back());
    ASSERT_EQ(GetFileAttributesW(console_archive.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u)
        << "no archive at " << console.lines.back();
    const std::wstring work = console_archive.substr(0, console_archive.rfind(L'\\'));
    const std::vector<std::string> console_entries = entry_names(console_archive, scratch.path());
    remove_archives(work);

    // The dialog: start, the completion notice, then the save button.
    ExplorersStartedMeanwhile explorers;
    DialogProgram dialog(scratch.path());
    ASSERT_TRUE(dialog.start());
    HWND dlg = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            dlg = window_titled(dialog.pid(), [](const std::wstring& t) { return t.rfind(kMainTitlePrefix, 0) == 0; });
            return dlg && enabled(dlg, kStartButton);
        },
        kRunLimitMs));
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, kStartButton)));
    ASSERT_TRUE(wait_until([&] { return enabled(dlg, kSaveButton); }, kRunLimitMs)) << "the run did not complete";
    HWND notice = nullptr;
    ASSERT_TRUE(wait_until(
        [&] {
            notice = window_titled(dialog.pid(), [](const std::wstring& t) {
                return t.rfind(L"Vantu Check Tool", 0) == 0 && t.rfind(kMainTitlePrefix, 0) != 0;
            });
            return notice != nullptr;
        },
        kRunLimitMs));
    PostMessageW(notice, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(notice, WM_KEYUP, VK_RETURN, 0xC0000000);
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(notice) || !IsWindow(notice); }, kRunLimitMs));
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(kSaveButton, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, kSaveButton)));
    // The save disables the dialog and enables it again once the archive is closed.
    ASSERT_TRUE(wait_until([&] { return !archives_in(work).empty() && IsWindowEnabled(dlg); }, kRunLimitMs))
        << "the dialog made no archive in " << to_utf8(work);
    EXPECT_TRUE(wait_until([&] { return explorers.any_started(); }, kRunLimitMs)) << "the archive was not shown";
    const std::vector<std::wstring> made = archives_in(work);
    ASSERT_EQ(made.size(), 1u);
    const std::vector<std::string> dialog_entries = entry_names(made.front(), scratch.path());
    remove_archives(work);

    EXPECT_EQ(console_entries, dialog_entries);
    // What both hold: the report, the listing of the one product folder that
    // exists, the texts, the crash log and both log archives.
    const std::vector<std::string> expected = {
        "report.html",
        "check_result.txt",
        "fileinfo_agent_app.txt",
        "systeminfo.txt",
        "tasklist.txt",
        "network_info.txt",
        "eventlog.txt",
        "Agent_CrashHandler_20261208.log",
        "Vantu_log.zip",
        "Vantu_log.zip > old/",
        "Vantu_log.zip > old/agent-1.log",
        "Vantu_log.zip > agent.log",
        "Vantu_log_viewer.zip",
        "Vantu_log_viewer.zip > viewer.log",
        "manifest.json",
    };
    EXPECT_EQ(console_entries, expected);
}
