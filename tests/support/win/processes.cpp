#include "support/win/processes.h"

#include <tlhelp32.h>

namespace test_support {

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

ExplorersStartedMeanwhile::~ExplorersStartedMeanwhile()
{
    DWORD desktop = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
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
