// Turns the bytes a console command printed into text, whatever its code page.
#pragma once

#include "common/text_convert.h"  // decode_utf8_strict

#include <functional>
#include <string>
#include <string_view>

// Converts bytes in the console's OEM code page to wide text.
using OemDecoder = std::function<std::wstring(std::string_view bytes)>;

// The decoding rules: zero bytes removed (UTF-16 output of ASCII text becomes
// readable), then plain ASCII and anything that is not valid UTF-8 through the
// OEM code page, valid UTF-8 as UTF-8; finally CR LF becomes LF (a lone CR stays).
std::wstring decode_command_output(std::string_view bytes, const OemDecoder& oem);

// The same with the system's OEM code page (Windows only).
std::wstring decode_command_output(std::string_view bytes);

