// Text files of any encoding the program reads (product logs, settings, hosts):
// detection by mark and content, then decoding.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <unistd.h>

#include <cstdio>

#include "common/text_convert.h"
#include "common/text_file.h"

int fuzz_text_file(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view head = bytes.substr(0, 4096);
    const int encoding = detect_text_encoding_of(
        head, bytes.size(), [](std::string_view part) { return looks_like_utf16le(part); },
        [bytes] { return is_valid_utf8(bytes); });
    decode_text(bytes, encoding);

    static const int all_encodings[] = {text_encoding_ansi,       text_encoding_utf7_bom,   text_encoding_utf8,
                                        text_encoding_utf8_bom,   text_encoding_utf16be_bom, text_encoding_utf16le,
                                        text_encoding_utf16le_bom, text_encoding_utf32be_bom, text_encoding_utf32le_bom};
    for (const int e : all_encodings)
        decode_text(bytes, e);

    // UTF-8 that is valid comes back byte for byte.
    const std::wstring wide = from_utf8(bytes);
    if (is_valid_utf8(bytes))
        FUZZ_REQUIRE(to_utf8(wide) == bytes);
    from_system_narrow(bytes);
    to_system_narrow(wide);

    // The same bytes as a file on disk, read whole and cut short (the cut may fall
    // inside a character or a byte-order mark).
    static const std::string path = "/tmp/vantu_fuzz_text_" + std::to_string(getpid()) + ".txt";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        const std::wstring wide_path = from_utf8(path);
        detect_text_encoding(wide_path);
        read_text_file(wide_path);
        read_text_file(wide_path, static_cast<std::int64_t>(bytes.size() / 2 + 1));
        read_text_file(wide_path, 3);
        std::remove(path.c_str());
    }
    return 0;
}
