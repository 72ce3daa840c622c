// The encodings a log can come in, found from its first bytes, and the few
// conversions the redactor needs to look for names in each of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantu::redact {

enum class TextEncoding {
    utf8,
    utf16le,
    utf16be,
    ansi, // a Windows ANSI code page (949 on Korean systems)
};

struct DetectedEncoding
{
    TextEncoding encoding = TextEncoding::utf8;
    std::size_t bom_bytes = 0; // 0, 2 or 3
};

// How many bytes detect_encoding wants to see when the file has them.
inline constexpr std::size_t kDetectionBytes = 4096;

// Byte-order mark first; then UTF-16 by where the zero bytes fall; then
// well-formed UTF-8 (a sequence cut at the end of `head` counts as well-formed);
// anything else is ANSI. Plain ASCII is UTF-8.
DetectedEncoding detect_encoding(std::string_view head);

// Whether a file whose first bytes are `head` is text in `encoding`: no NUL
// character, and at most one in fifty characters a control other than tab,
// line feed, carriage return, form feed, vertical tab and escape. Binary files
// (images, archives, executables, dumps) fail on the first rule.
bool looks_like_text(std::string_view head, TextEncoding encoding);

// True when `byte` starts a two-byte character in the double-byte code page
// (949, 936, 950, 932); false for every byte of a single-byte code page.
bool is_lead_byte(unsigned code_page, unsigned char byte);

// UTF-8 to UTF-16; ill-formed bytes become U+FFFD.
std::u16string utf8_to_utf16(std::string_view utf8);

} // namespace vantu::redact
