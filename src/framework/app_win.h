// The application object: one per process, created as a global by the
// program; wWinMain hands control to run().
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class Wnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up. Returning false ends the process without a message loop.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Body of wWinMain.
    int run(HINSTANCE instance, int show);

    // Names the settings store's root: HKCU\Software\<key>\<application name>.
    void SetRegistryKey(const std::wstring& key);

    HINSTANCE m_hInstance = nullptr;
    Wnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // Executable name without folder and extension.
    std::wstring m_app_name;
    // Full path of the executable.
    std::wstring m_exe_path;
    // Command-line arguments after the program name.
    std::vector<std::wstring> m_args;
};

CWinApp* AfxGetApp();

// Starts Winsock 2.2 for the process (cleaned up at exit); false when it cannot.
bool AfxSocketInit();
