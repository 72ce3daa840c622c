// Small file helpers for the tests of the common library.
#pragma once

#include "common/file_utils.h"
#include "common/text_convert.h"

#include <cstdio>
#include <string>
#include <vector>

namespace test_files {

inline std::string read_bytes(const std::wstring& path)
{
    std::string bytes;
    FILE* f = open_file_stream(path, L"rb");
    if (!f) {
        return bytes;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) {
        bytes.append(buffer, n);
    }
    fclose(f);
    return bytes;
}

inline bool write_bytes(const std::wstring& path, const std::string& bytes)
{
    FILE* f = open_file_stream(path, L"wb");
    if (!f) {
        return false;
    }
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline std::wstring join(const std::wstring& a, const std::wstring& b)
{
    return a + path_separator + b;
}

// A fresh folder beside the test executable, deleted again by the destructor.
class scratch_folder
{
public:
    explicit scratch_folder(const std::wstring& name) : m_path(join(module_folder(), name))
    {
        delete_folder_tree(m_path);
        ensure_folder(m_path);
    }
    ~scratch_folder() { delete_folder_tree(m_path); }
    const std::wstring& path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return join(m_path, name); }

private:
    std::wstring m_path;
};

// Lines of a UTF-8 log file, split at CR LF; the byte-order mark must lead.
inline std::vector<std::wstring> crlf_lines(const std::string& bytes)
{
    std::vector<std::wstring> lines;
    std::string body = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = body.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < body.size()) {
                lines.push_back(from_utf8(body.substr(start)));
            }
            break;
        }
        lines.push_back(from_utf8(body.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

}  // namespace test_files
