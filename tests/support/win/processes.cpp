#include "support/win/processes.h"

#include <tlhelp32.h>

namespace test_support {

bool start_apart_from_output(const std::wstring& exe, std::wstring command_line, const std::wstring& folder,
                             PROCESS_INFORMATION& process)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    bool ok = CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             folder.empty() ? nullptr : folder.c_str(), &si, &process) != 0;
    DWORD error = GetLastError();
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    SetLastError(error);  // the caller reports why CreateProcess failed
    return ok;
}

void end_process(PROCESS_INFORMATION& process)
{
    if (!process.hProcess)
        return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION{};
}

std::set<DWORD> explorer_processes()
{
    std::set<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"explorer.exe") == 0)
            found.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

ExplorersStartedMeanwhile::ExplorersStartedMeanwhile() : m_before(explorer_processes()) {}

namespace {

DWORD desktop_process()
{
    DWORD desktop = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
    return desktop;
}

} // namespace

bool ExplorersStartedMeanwhile::any_started() const
{
    const DWORD desktop = desktop_process();
    for (DWORD pid : explorer_processes())
        if (!m_before.count(pid) && pid != desktop)
            return true;
    return false;
}

ExplorersStartedMeanwhile::~ExplorersStartedMeanwhile()
{
    const DWORD desktop = desktop_process();
    for (DWORD pid : explorer_processes()) {
        if (m_before.count(pid) || pid == desktop)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
}

} // namespace test_support
