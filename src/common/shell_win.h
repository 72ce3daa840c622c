// Explorer.
#pragma once

#include <string>

// Opens an Explorer window on the file's folder with the file selected. False when
// the file does not exist or the shell refuses.
bool show_in_explorer(const std::wstring& file_path);
