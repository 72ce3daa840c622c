// The application object: single-instance guard, start-up, the main dialog.
#pragma once

#include "framework/app_win.h"

class CMarloCheckToolApp : public CWinApp {
public:
    CMarloCheckToolApp() = default;
    ~CMarloCheckToolApp() override;

    BOOL InitInstance() override;

    HANDLE m_mutex = nullptr;
};
