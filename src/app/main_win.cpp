#include "app/marlo_check_tool_app_win.h"

#include <windows.h>

namespace {
CMarloCheckToolApp the_app;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    return the_app.run(instance, show);
}
