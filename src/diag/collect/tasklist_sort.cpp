#include "diag/collect/tasklist_sort.h"

#include "diag/collect/collect_text.h"

#include <algorithm>
#include <vector>

std::wstring sort_tasklist(const std::wstring& text)
{
    std::wstring unified = diag_text::replace_all(text, L"\r\n", L"\n");

    std::vector<std::wstring> lines;
    size_t pos = 0;
    for (;;) {
        size_t end = unified.find(L'\n', pos);
        if (end == std::wstring::npos) {
            lines.push_back(unified.substr(pos));
            break;
        }
        lines.push_back(unified.substr(pos, end - pos));
        pos = end + 1;
    }

    auto separator = std::find_if(lines.begin(), lines.end(),
                                  [](const std::wstring& line) { return line.compare(0, 5, L"=====") == 0; });
    if (separator == lines.end())
        return text;

    // Compare lower-cased copies once instead of in every comparison.
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    for (auto it = separator + 1; it != lines.end(); ++it)
        rows.emplace_back(diag_text::lower(*it), std::move(*it));
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    size_t index = static_cast<size_t>(separator - lines.begin()) + 1;
    for (auto& row : rows)
        lines[index++] = std::move(row.second);

    std::wstring out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += L'\n';
        out += lines[i];
    }
    return out;
}
