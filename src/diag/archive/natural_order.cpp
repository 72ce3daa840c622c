#include "diag/archive/natural_order.h"

#include <algorithm>
#include <cwctype>

namespace vantu::zip {
namespace {

bool is_digit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

} // namespace

int natural_compare(const std::wstring& a, const std::wstring& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            // Compare the digit runs by value: skip leading zeros, then the longer run
            // is the greater number, else the first differing digit decides.
            std::size_t si = i, sj = j;
            while (si < a.size() && a[si] == L'0')
                ++si;
            while (sj < b.size() && b[sj] == L'0')
                ++sj;
            std::size_t ei = si, ej = sj;
            while (ei < a.size() && is_digit(a[ei]))
                ++ei;
            while (ej < b.size() && is_digit(b[ej]))
                ++ej;
            if (ei - si != ej - sj)
                return (ei - si) < (ej - sj) ? -1 : 1;
            for (std::size_t k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? -1 : 1;
            // Equal values: more leading zeros sort first.
            if ((si - i) != (sj - j))
                return (si - i) > (sj - j) ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const wchar_t ca = static_cast<wchar_t>(std::towlower(a[i]));
        const wchar_t cb = static_cast<wchar_t>(std::towlower(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

void sort_natural_descending(std::vector<std::wstring>& paths)
{
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::wstring& a, const std::wstring& b) { return natural_compare(a, b) > 0; });
}

} // namespace vantu::zip
