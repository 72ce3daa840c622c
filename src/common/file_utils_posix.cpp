#include "common/file_utils.h"

#include "common/text_convert.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cwctype>
#include <filesystem>
#include <string>

namespace {

std::string narrow(const std::wstring& path)
{
    return to_utf8(path);
}

std::wstring trimmed(const std::wstring& text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && std::iswspace(static_cast<wint_t>(text[b]))) {
        ++b;
    }
    while (e > b && std::iswspace(static_cast<wint_t>(text[e - 1]))) {
        --e;
    }
    return text.substr(b, e - b);
}

}  // namespace

std::wstring module_file_path()
{
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return std::wstring();
    }
    buffer.resize(static_cast<std::size_t>(n));
    return from_utf8(buffer);
}

std::wstring module_folder()
{
    return path_part(module_file_path(), path_part_folder);
}

bool file_exists(const std::wstring& path)
{
    struct stat st = {};
    return !path.empty() && stat(narrow(path).c_str(), &st) == 0;
}

bool folder_exists(const std::wstring& path)
{
    struct stat st = {};
    return !path.empty() && stat(narrow(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t file_size(const std::wstring& path)
{
    struct stat st = {};
    if (path.empty() || stat(narrow(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool file_modified_time(const std::wstring& path, local_time& out)
{
    struct stat st = {};
    if (path.empty() || stat(narrow(path).c_str(), &st) != 0) {
        return false;
    }
    out = local_time_from_unix(static_cast<std::int64_t>(st.st_mtime));
    return true;
}

FILE* open_file_stream(const std::wstring& path, const wchar_t* mode)
{
    if (path.empty() || !mode) {
        return nullptr;
    }
    std::string m;
    for (const wchar_t* p = mode; *p && *p != L','; ++p) {
        if (*p != L't') {  // no text mode here
            m += static_cast<char>(*p);
        }
    }
    return fopen(narrow(path).c_str(), m.c_str());
}

bool ensure_folder(const std::wstring& path)
{
    const std::wstring folder = trimmed(path);
    if (folder.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(narrow(folder)), ec);
    return folder_exists(folder);
}

bool delete_folder_tree(const std::wstring& path)
{
    const std::wstring folder = trimmed(path);
    if (folder.empty() || !folder_exists(folder)) {
        return false;
    }
    std::error_code ec;
    const auto full = std::filesystem::absolute(std::filesystem::path(narrow(folder)), ec).lexically_normal();
    if (ec || full == full.root_path()) {
        return false;
    }
    std::filesystem::remove_all(full, ec);
    return !ec && !folder_exists(folder);
}

bool list_folder(const std::wstring& folder, const std::wstring& mask, std::vector<folder_entry>& entries)
{
    const std::string dir_path = narrow(folder.empty() ? std::wstring(L".") : folder);
    DIR* dir = opendir(dir_path.c_str());
    if (!dir) {
        return false;
    }
    const std::wstring the_mask = mask.empty() ? L"*" : mask;
    while (const dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        folder_entry entry;
        entry.name = from_utf8(name);
        if (!wildcard_match(the_mask, entry.name)) {
            continue;
        }
        struct stat st = {};
        const std::string full = dir_path + "/" + name;
        if (lstat(full.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            entry.is_link = true;
            struct stat target = {};
            entry.is_folder = stat(full.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        } else {
            entry.is_folder = S_ISDIR(st.st_mode);
        }
        entries.push_back(entry);
    }
    closedir(dir);
    return true;
}

int logical_compare(const std::wstring& a, const std::wstring& b)
{
    return natural_compare(a, b);
}
