#include <winsock2.h>

#include "app/marlo_check_tool_app_win.h"

#include "app/instance_activation_win.h"
#include "app/marlo_check_tool_dlg_win.h"
#include "app/web_host_option.h"
#include "steps/redaction_request.h"
#include "common/log.h"

#include <commctrl.h>

#include <clocale>

CMarloCheckToolApp::~CMarloCheckToolApp()
{
    if (m_mutex) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
        m_mutex = nullptr;
    }
}

BOOL CMarloCheckToolApp::InitInstance()
{
    m_mutex = CreateMutexW(nullptr, FALSE, L"MUTEX_OF_MarloCheckTool");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        activate_window(find_running_instance_window());
        return FALSE;
    }

    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    SetRegistryKey(L"Vantu");
    setlocale(LC_ALL, "korean");

    if (!AfxSocketInit()) {
        MessageBoxW(nullptr, L"AfxSocketInit() failed.", m_app_name.c_str(), MB_OK | MB_ICONERROR);
        return FALSE;
    }

    if (g_log) {
        g_log->m_show_function = false;
        g_log->write_start_log();
    }

    // /redact: archives saved by this run are redacted (so is what the check list asks).
    for (const std::wstring& arg : m_args)
        if (_wcsicmp(arg.c_str(), L"/redact") == 0 || _wcsicmp(arg.c_str(), L"--redact") == 0)
            request_redaction(RedactionAsker::command_line);

    CMarloCheckToolDlg dlg;
    WebHostOption web = parse_web_host_option(m_args, dlg.m_web_host, dlg.m_web_port);
    if (!web.error.empty())
        SCLOG(3, L"%s", web.error.c_str());
    dlg.set_web_host(web.host, web.port);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
