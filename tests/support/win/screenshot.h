// Screenshots for a person to look at, as PNG files in build/artifacts.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// Folder for screenshots: $VANTU_ARTIFACTS_DIR, else <source>/build/artifacts
// (VANTU_SOURCE_DIR), as a Windows path; empty when neither is set.
std::wstring artifacts_dir();

// Saves what the screen shows of the window, after it has repainted, as
// <artifacts>/<name>.png; false on failure.
bool save_screenshot(HWND window, const std::wstring& name);

// Saves the whole screen as <artifacts>/<name>.png, after every visible window
// (of any process) has repainted what a closed popup uncovered; false on failure.
bool save_screen(const std::wstring& name);

} // namespace test_support
