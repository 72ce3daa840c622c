// The about box of the system menu.
#pragma once

#include "framework/dialog_win.h"

class CAboutDlg : public CDialogEx {
public:
    explicit CAboutDlg(HWND parent);
};
