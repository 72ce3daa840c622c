// Colour values of the markup language ("<cr=…>", "<cb=…>"), read into 0xAARRGGBB.
#pragma once

#include <cstdint>
#include <string>

// Reads a colour value: empty, "#RRGGBB"/"#AARRGGBB", "r,g,b"/"a,r,g,b",
// bare RRGGBB/AARRGGBB hex, or a CSS colour name (any case). Malformed values
// give opaque black; a "#" value of 6 characters or more but of another length
// than 6 or 8 digits gives transparent black (0).
uint32_t read_markup_colour(const std::wstring& value);

// Looks up one of the 140 CSS Level 3 colour names (case-insensitive); false when unknown.
bool find_css_colour(const std::wstring& name, uint32_t& argb);

// Reads a decimal integer the way _wtoi does: leading blanks, optional sign, digits; 0 without digits.
int read_decimal_int(const std::wstring& text);
