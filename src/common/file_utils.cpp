#include "common/file_utils.h"

#include <algorithm>
#include <cwctype>

namespace {

bool is_separator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

wchar_t lower(wchar_t ch)
{
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
}

std::wstring lower_text(std::wstring text)
{
    for (auto& ch : text) {
        ch = lower(ch);
    }
    return text;
}

std::vector<std::wstring> split_list(const std::wstring& text, bool strip_wildcards)
{
    std::vector<std::wstring> items;
    std::wstring item;
    auto flush = [&] {
        // "log; dmp" as typed by people: blanks around an entry do not count.
        while (!item.empty() && item.back() == L' ') {
            item.pop_back();
        }
        item.erase(0, item.find_first_not_of(L' ') == std::wstring::npos ? item.size() : item.find_first_not_of(L' '));
        if (!item.empty()) {
            items.push_back(item);
        }
        item.clear();
    };
    for (const wchar_t ch : lower_text(text)) {
        if (ch == L';') {
            flush();
        } else if (!(strip_wildcards && (ch == L'*' || ch == L'.'))) {
            item += ch;
        }
    }
    flush();
    return items;
}

bool is_digit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

void find_files_into(std::vector<std::wstring>& out, const std::wstring& folder, const std::wstring& mask,
                     const std::vector<std::wstring>& extensions, bool include_folders,
                     const std::vector<std::wstring>& exclusions, bool recursive)
{
    std::vector<folder_entry> entries;
    if (!list_folder(folder, mask, entries)) {
        return;
    }
    std::wstring prefix = folder;
    if (prefix.empty() || !is_separator(prefix.back())) {
        prefix += path_separator;
    }
    for (const auto& entry : entries) {
        const std::wstring full = prefix + entry.name;
        if (entry.is_folder) {
            if (recursive) {
                if (!entry.is_link) {
                    find_files_into(out, full, mask, extensions, include_folders, exclusions, recursive);
                }
            } else if (include_folders) {
                out.push_back(full);
            }
            continue;
        }
        const std::wstring name = lower_text(entry.name);
        if (!extensions.empty()) {
            const std::size_t dot = name.rfind(L'.');
            const std::wstring ext = dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
            if (std::find(extensions.begin(), extensions.end(), ext) == extensions.end()) {
                continue;
            }
        }
        bool excluded = false;
        for (const auto& ex : exclusions) {
            if (name.find(ex) != std::wstring::npos) {
                excluded = true;
                break;
            }
        }
        if (!excluded) {
            out.push_back(full);
        }
    }
}

}  // namespace

std::vector<std::wstring> find_files(const std::wstring& folder, const std::wstring& mask,
                                     const std::wstring& extensions, bool include_folders,
                                     const std::wstring& exclusions, bool sort, bool recursive)
{
    std::vector<std::wstring> out;
    const std::wstring the_mask = mask.empty() ? L"*" : mask;
    find_files_into(out, folder, the_mask, split_list(extensions, true), include_folders,
                    split_list(exclusions, false), recursive);
    if (sort) {
        sort_descending_natural(out);
    }
    return out;
}

int natural_compare(std::wstring_view a, std::wstring_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && is_digit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && is_digit(b[ej])) {
                ++ej;
            }
            std::size_t si = i;
            std::size_t sj = j;
            while (si + 1 < ei && a[si] == L'0') {
                ++si;
            }
            while (sj + 1 < ej && b[sj] == L'0') {
                ++sj;
            }
            if (ei - si != ej - sj) {
                return ei - si < ej - sj ? -1 : 1;
            }
            for (std::size_t k = 0; k < ei - si; ++k) {
                if (a[si + k] != b[sj + k]) {
                    return a[si + k] < b[sj + k] ? -1 : 1;
                }
            }
            i = ei;
            j = ej;
            continue;
        }
        const wchar_t ca = lower(a[i]);
        const wchar_t cb = lower(b[j]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

void sort_descending_natural(std::vector<std::wstring>& paths)
{
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::wstring& x, const std::wstring& y) { return logical_compare(x, y) > 0; });
}

bool wildcard_match(std::wstring_view mask, std::wstring_view name)
{
    if (mask == L"*" || mask == L"*.*") {
        return true;
    }
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t star = std::wstring_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == L'?' || lower(mask[m]) == lower(name[n]))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == L'*') {
            star = m++;
            resume = n;
        } else if (star != std::wstring_view::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*') {
        ++m;
    }
    return m == mask.size();
}

std::wstring path_part(const std::wstring& path, int part)
{
    std::wstring drive;
    std::size_t pos = 0;
    if (path.size() >= 2 && path[1] == L':') {
        drive = path.substr(0, 2);
        pos = 2;
    }
    std::size_t last_sep = std::wstring::npos;
    for (std::size_t i = pos; i < path.size(); ++i) {
        if (is_separator(path[i])) {
            last_sep = i;
        }
    }
    const std::wstring dir = last_sep == std::wstring::npos ? std::wstring() : path.substr(pos, last_sep + 1 - pos);
    const std::wstring file = last_sep == std::wstring::npos ? path.substr(pos) : path.substr(last_sep + 1);
    const std::size_t dot = file.rfind(L'.');
    const std::wstring title = dot == std::wstring::npos ? file : file.substr(0, dot);
    const std::wstring ext = dot == std::wstring::npos ? std::wstring() : file.substr(dot + 1);

    switch (part) {
    case path_part_drive:
        return drive;
    case path_part_folder: {
        std::wstring folder = drive + dir;
        if (!folder.empty() && is_separator(folder.back())) {
            folder.pop_back();
        }
        return folder;
    }
    case path_part_last_folder: {
        std::wstring d = dir;
        while (!d.empty() && is_separator(d.back())) {
            d.pop_back();
        }
        std::size_t s = d.size();
        while (s > 0 && !is_separator(d[s - 1])) {
            --s;
        }
        return d.substr(s);
    }
    case path_part_title:
        return title;
    case path_part_extension:
        return ext;
    case path_part_file_name:
        return file;
    default:
        return std::wstring();
    }
}
