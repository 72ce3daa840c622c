#include "console/check_list_file.h"

#include "common/file_utils.h"
#include "common/text_convert.h"
#include "common/text_file.h"

#include <cstdio>

namespace {

// A check list names a few folders and servers; anything near this is not one.
constexpr size_t kMaxCheckListBytes = 16 * 1024 * 1024;

} // namespace

std::string check_list_file_text(const std::string& bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return to_utf8(decode_text(bytes, text_encoding_utf16le_bom));
    if (is_valid_utf8(bytes))
        return bytes;
    return to_utf8(from_system_narrow(bytes));
}

bool read_check_list_file(const std::wstring& path, std::string& utf8, std::wstring& error)
{
    utf8.clear();
    if (folder_exists(path)) {
        error = L"\"" + path + L"\" is a folder, not a check list file.";
        return false;
    }
    FILE* file = open_file_stream(path, L"rb");
    if (!file) {
        error = L"cannot open the check list file \"" + path + L"\".";
        return false;
    }
    std::string bytes;
    char buffer[65536];
    bool failed = false;
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, n);
        if (bytes.size() > kMaxCheckListBytes) {
            std::fclose(file);
            error = L"the check list file \"" + path + L"\" is too large.";
            return false;
        }
        if (n < sizeof buffer) {
            failed = std::ferror(file) != 0;
            break;
        }
    }
    std::fclose(file);
    if (failed) {
        error = L"cannot read the check list file \"" + path + L"\".";
        return false;
    }
    utf8 = check_list_file_text(bytes);
    return true;
}
