#include "checklist/mask_host.h"

std::wstring mask_host(std::wstring_view s)
{
    if (s.empty())
        return {};
    const size_t first = s.find(L'.');
    const size_t last = s.rfind(L'.');
    bool numeric = false;
    for (wchar_t c : s) {
        if (c == L'.')
            continue;
        if (c < L'0' || c > L'9') {
            numeric = false;
            break;
        }
        numeric = true;
    }
    // f is -1 without a dot: nothing is kept and one star more than the length.
    const long long f = first == std::wstring_view::npos ? -1 : static_cast<long long>(first);
    std::wstring result(s.substr(0, first == std::wstring_view::npos ? 0 : first));
    if (numeric) {
        const long long l = static_cast<long long>(last);
        result.append(static_cast<size_t>(l - f), L'*');
        result.append(s.substr(last + 1));
    } else {
        result.append(static_cast<size_t>(static_cast<long long>(s.size()) - f), L'*');
    }
    return result;
}
