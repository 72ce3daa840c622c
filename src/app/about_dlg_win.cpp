#include "app/about_dlg_win.h"

#include "resource.h"

CAboutDlg::CAboutDlg(HWND parent) : CDialogEx(IDD_ABOUTBOX, parent) {}
