// Text files in their encodings: detection by byte-order mark and content,
// reading into wide text, writing as UTF-8 with mark or in the ANSI code page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

constexpr int text_encoding_ansi = -1;
constexpr int text_encoding_utf7_bom = 65000;
constexpr int text_encoding_utf8 = 65001;
constexpr int text_encoding_utf8_bom = 65002;
constexpr int text_encoding_utf16be_bom = 65004;
constexpr int text_encoding_utf16le = 65005;
constexpr int text_encoding_utf16le_bom = 65006;
constexpr int text_encoding_utf32be_bom = 65008;
constexpr int text_encoding_utf32le_bom = 65010;

bool is_valid_utf8(std::string_view bytes);
// Portable stand-in for the system's Unicode test: mostly zero high bytes.
bool looks_like_utf16le(std::string_view bytes);

// The decision on the first bytes of a file (up to 4096) and its size;
// is_text_unicode and whole_file_is_utf8 are asked only when needed.
int detect_text_encoding_of(std::string_view head, std::uint64_t file_size,
                            const std::function<bool(std::string_view)>& is_text_unicode,
                            const std::function<bool()>& whole_file_is_utf8);

// Bytes of a file in the given encoding as wide text, byte-order mark removed,
// CR LF read as "\n" for UTF-8.
std::wstring decode_text(std::string_view bytes, int encoding);

// -1 when the file cannot be opened.
int detect_text_encoding(const std::wstring& path);
// max_bytes < 1: the whole file. A missing file gives an empty text; a Unicode file
// that cannot be opened shows a message box (Windows) and gives an empty text.
std::wstring read_text_file(const std::wstring& path, std::int64_t max_bytes = -1);
// utf8: UTF-8 with byte-order mark, "\n" stored as CR LF. Otherwise the ANSI code
// page, with raw one zero byte after the text. True when the file could be opened.
bool write_text_file(const std::wstring& path, const std::wstring& text, bool utf8 = true, bool raw = false);
