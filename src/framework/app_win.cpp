#include <winsock2.h>

#include "framework/app_win.h"

#include "framework/settings_store.h"

#include <shellapi.h>
#include <winsock2.h>

#include <cstdlib>

namespace {
CWinApp* g_app = nullptr;
bool g_sockets_started = false;

void stop_sockets()
{
    if (g_sockets_started)
        WSACleanup();
    g_sockets_started = false;
}

std::wstring module_path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
} // namespace

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

int CWinApp::run(HINSTANCE instance, int show)
{
    m_hInstance = instance;
    m_nCmdShow = show;
    m_exe_path = module_path();
    size_t slash = m_exe_path.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? m_exe_path : m_exe_path.substr(slash + 1);
    size_t dot = file.find_last_of(L'.');
    m_app_name = dot == std::wstring::npos ? file : file.substr(0, dot);

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv) {
        for (int i = 1; i < argc; ++i)
            m_args.emplace_back(argv[i]);
        LocalFree(argv);
    }

    if (InitInstance()) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return ExitInstance();
}

void CWinApp::SetRegistryKey(const std::wstring& key)
{
    settings_set_registry_key(key, m_app_name);
}

bool AfxSocketInit()
{
    if (g_sockets_started)
        return true;
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    g_sockets_started = true;
    std::atexit(stop_sockets);
    return true;
}
