// The command runner and the diagnostics on the real Windows code paths (Wine,
// Korean locale): quoting, code pages, UTF-16 output, bounds and process trees.
#include "diag/collect/command_runner.h"
#include "diag/collect/diagnostics.h"
#include "diag/collect/hosts_file.h"
#include "diag/collect/service_failure_config.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring probe()
{
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return L"\"" + path.substr(0, path.find_last_of(L'\\') + 1) + L"command_probe.exe\"";
}

std::wstring temp_folder()
{
    wchar_t buffer[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

// Ends when the process with this id is gone, or after `limit_ms`.
bool process_ended(DWORD pid, DWORD limit_ms)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;  // already gone
    bool ended = WaitForSingleObject(process, limit_ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// Every process below `root` (children, their children, ...), by id.
std::set<DWORD> descendants(DWORD root)
{
    std::multimap<DWORD, DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (entry.th32ProcessID != entry.th32ParentProcessID)
                children.emplace(entry.th32ParentProcessID, entry.th32ProcessID);
        CloseHandle(snapshot);
    }
    std::set<DWORD> found;
    std::vector<DWORD> open{root};
    while (!open.empty()) {
        DWORD parent = open.back();
        open.pop_back();
        auto range = children.equal_range(parent);
        for (auto it = range.first; it != range.second; ++it)
            if (found.insert(it->second).second)
                open.push_back(it->second);
    }
    return found;
}

} // namespace

TEST(RunConsoleCommand, QuotesReachTheInterpreterIntact)
{
    EXPECT_EQ(run_console_command(L"echo \"a b\" \"c&d\" 'e'", kNoCommandTimeout), L"\"a b\" \"c&d\" 'e'\n");
    // A quoted program path and a quoted argument with a blank: it arrives as one
    // argument (split, the program would see only "41").
    EXPECT_EQ(run_console_command(probe() + L" bytes \"41 42\"", kNoCommandTimeout), L"AB");
}

TEST(RunConsoleCommand, NothingPrintedGivesEmptyText)
{
    EXPECT_EQ(run_console_command(L"", kNoCommandTimeout), L"");
    EXPECT_EQ(run_console_command(L"rem nothing to say", kNoCommandTimeout), L"");
    EXPECT_EQ(run_console_command(probe() + L" bytes \"\"", kNoCommandTimeout), L"");
}

TEST(RunConsoleCommand, StandardErrorIsInterleavedWithOutput)
{
    CommandResult result = run_command(probe() + L" interleave", kNoCommandTimeout);
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.output, L"out1\nerr1\nout2\nerr2\n");
    // An unknown command is not a failure here: its message is the output.
    CommandResult unknown = run_command(L"no_such_program_vantu_xyz", kNoCommandTimeout);
    EXPECT_TRUE(unknown.started);
    EXPECT_FALSE(unknown.output.empty());
}

TEST(RunConsoleCommand, DecodesUtf16Cp949AndUtf8Output)
{
    // UTF-16LE "hi\r\n" comes back readable.
    EXPECT_EQ(run_console_command(probe() + L" bytes 680069000D000A00", kNoCommandTimeout), L"hi\n");
    // "한글" in code page 949 (the OEM code page of the Korean locale).
    EXPECT_EQ(run_console_command(probe() + L" bytes C7D1B1DB0D0A", kNoCommandTimeout), L"한글\n");
    // The same word in UTF-8.
    EXPECT_EQ(run_console_command(probe() + L" bytes ED959CEAB880", kNoCommandTimeout), L"한글");
    // A lone CR stays.
    EXPECT_EQ(run_console_command(probe() + L" bytes 610D620D0A", kNoCommandTimeout), L"a\rb\n");
}

TEST(RunConsoleCommand, InterpreterOwnOutputInUtf16AndCp949)
{
    EXPECT_EQ(run_console_command(L"cmd /u /c echo hello", kNoCommandTimeout), L"hello\n");

    std::wstring path = temp_folder() + L"vantu_cp949_probe.txt";
    {
        std::ofstream file(path.c_str(), std::ios::binary);
        file << "\xC7\xD1\xB1\xDB \xB0\xCB\xBB\xE7\r\n";  // "한글 검사"
    }
    EXPECT_EQ(run_console_command(L"type \"" + path + L"\"", kNoCommandTimeout), L"한글 검사\n");
    DeleteFileW(path.c_str());
}

TEST(RunConsoleCommand, LargeOutputDoesNotDeadlock)
{
    CommandResult result = run_command(probe() + L" flood 1000000", 120000);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.output.size(), 1000000u);
}

TEST(RunConsoleCommand, ACommandOverItsBoundIsEndedWithItsChild)
{
    CommandResult result = run_command(probe() + L" hang-with-child", 3000);
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.timed_out);
    unsigned long parent = 0, child = 0;
    ASSERT_EQ(std::swscanf(result.output.c_str(), L"parent %lu child %lu", &parent, &child), 2) << result.output;
    ASSERT_NE(child, 0u);
    EXPECT_TRUE(process_ended(parent, 10000));
    EXPECT_TRUE(process_ended(child, 10000));

    // The text form says so in front of what was read.
    std::wstring text = run_console_command(probe() + L" hang-with-child", 2000);
    EXPECT_EQ(text.find(command_timeout_note(2000) + L"\n\nparent "), 0u) << text;
    EXPECT_NE(command_timeout_note(2000).find(L"2초"), std::wstring::npos);
}

TEST(RunConsoleCommand, AChildLeftHoldingTheOutputIsEndedToo)
{
    // The interpreter and the probe exit at once; the child keeps the pipe open.
    CommandResult result = run_command(probe() + L" exit-leaving-child", 3000);
    EXPECT_TRUE(result.timed_out);
    unsigned long parent = 0, child = 0;
    ASSERT_EQ(std::swscanf(result.output.c_str(), L"parent %lu child %lu", &parent, &child), 2) << result.output;
    EXPECT_TRUE(process_ended(child, 10000));
}

TEST(RunConsoleCommand, ACommandThatFinishedInTimeKeepsItsLeftoverProcesses)
{
    // The probe exits at once; its child holds none of the output and lives on.
    // The bound was not reached, so nothing may be ended, with or without a bound.
    for (std::uint32_t bound : {30000u, kNoCommandTimeout}) {
        CommandResult result = run_command(probe() + L" exit-leaving-detached-child", bound);
        EXPECT_FALSE(result.timed_out);
        unsigned long parent = 0, child = 0;
        ASSERT_EQ(std::swscanf(result.output.c_str(), L"parent %lu child %lu", &parent, &child), 2) << result.output;
        ASSERT_NE(child, 0u);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, child);
        ASSERT_NE(process, nullptr) << "the child was ended with the command";
        EXPECT_EQ(WaitForSingleObject(process, 2000), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the child was ended after the command had finished";
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
}

TEST(RunConsoleCommand, ACallerThatIsEndedTakesItsCommandsWithIt)
{
    // The probe runs "probe hang-with-child" through the runner without a bound,
    // as the program runs its diagnostics: interpreter, probe and the probe's child
    // live until someone ends them. Ending the caller, as Task Manager or a test
    // does, must not leave them behind.
    std::wstring line = probe() + L" run-command \"" + probe().substr(1, probe().size() - 2) + L" hang-with-child\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION caller{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &caller));
    std::set<DWORD> below;
    const DWORD start = GetTickCount();
    while ((below = descendants(caller.dwProcessId)).size() < 3 && GetTickCount() - start < 30000)
        Sleep(20);
    ASSERT_GE(below.size(), 3u) << "interpreter, probe and its child did not all start";

    TerminateProcess(caller.hProcess, 9);
    WaitForSingleObject(caller.hProcess, 10000);
    CloseHandle(caller.hThread);
    CloseHandle(caller.hProcess);
    for (DWORD pid : below)
        EXPECT_TRUE(process_ended(pid, 10000)) << "process " << pid << " outlived the program that started it";
}

TEST(CollectDiagnosticsOnThisPc, CompletesWithEverySectionTitle)
{
    DiagTexts texts;
    collect_diagnostics(texts, 120000);

    for (const wchar_t* title : {L"[ipconfig /all]\n", L"[WinHTTP Proxy]\n", L"[WinINet Proxy]\n", L"[hosts]\n",
                                 L"[route print]\n", L"[netstat -ano]\n"})
        EXPECT_NE(texts.network_text.find(title), std::wstring::npos) << title;
    for (const wchar_t* title : {L"[Interference Software (요약)]\n", L"[Security Center Products]\n",
                                 L"[Third-party Kernel Drivers]\n", L"[File System Minifilters]\n",
                                 L"[Third-party Services]\n", L"[Third-party Processes]\n",
                                 L"[Windows Firewall State]\n", L"[Windows Defender]\n",
                                 L"[UAC (User Account Control)]\n"})
        EXPECT_NE(texts.security_text.find(title), std::wstring::npos) << title;
    EXPECT_EQ(texts.security_text.find(L"[Interference Software (요약)]\n"), 0u);
    EXPECT_NE(texts.network_text.find(L"ProxyEnable   : "), std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"EnableLUA                  : "), std::wstring::npos);
    // ipconfig exists under Wine too: its section has a body.
    EXPECT_EQ(texts.network_text.find(L"[ipconfig /all]\n\n"), std::wstring::npos) << texts.network_text;
}

TEST(HostsFile, FoundInTheSystemFolderAndReadWhole)
{
    std::wstring path = hosts_file_path();
    const std::wstring suffix = L"\\system32\\drivers\\etc\\hosts";
    ASSERT_GT(path.size(), suffix.size());
    EXPECT_EQ(_wcsicmp(path.substr(path.size() - suffix.size()).c_str(), suffix.c_str()), 0) << path;
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::wstring text = read_hosts_file();
    // Wine's hosts file is ASCII: the text is the file with CR LF read as LF.
    std::wstring expected;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            expected += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    EXPECT_EQ(text, expected);
}

TEST(ServiceFailureConfigFile, WritesTheSectionIntoTheOpenReport)
{
    std::wstring path = temp_folder() + L"vantu_service_section.txt";
    FILE* report = _wfopen(path.c_str(), L"wt,ccs=UTF-8");
    ASSERT_NE(report, nullptr);
    collect_service_failure_config(L"", report, 60000);
    collect_service_failure_config(L"VantuNoSuchService", report, 60000);
    fclose(report);

    std::ifstream file(path.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DeleteFileW(path.c_str());
    // One section only (nothing for the empty name), stored as UTF-8 with CR LF.
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF[Service Failure Config]\r\n> sc qfailure VantuNoSuchService\r\n"), 0u) << bytes;
    EXPECT_NE(bytes.find("\r\n\r\n> sc qfailureflag VantuNoSuchService\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
}
