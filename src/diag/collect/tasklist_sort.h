// Orders the rows of "tasklist /v" by image name for reading.
#pragma once

#include <string>

// The rows below the "=====" separator sorted case-insensitively (stable); title
// lines and separator stay in place. Without a separator the text is unchanged.
// Lines are joined with "\n" and no line end after the last one.
std::wstring sort_tasklist(const std::wstring& text);
