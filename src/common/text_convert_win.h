// Code-page conversions of the Windows tree.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

std::wstring ansi_to_wide(std::string_view text, unsigned code_page = CP_ACP);
std::string wide_to_ansi(std::wstring_view text, unsigned code_page = CP_ACP);
