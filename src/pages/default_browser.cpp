#include "pages/default_browser.h"

#include <algorithm>
#include <cwctype>

std::wstring browser_name_from_prog_id(const std::wstring& prog_id)
{
    static const struct {
        const wchar_t* part;
        const wchar_t* name;
    } known[] = {
        {L"Chrome", L"Google Chrome"},        {L"Edge", L"Microsoft Edge"},   {L"Firefox", L"Mozilla Firefox"},
        {L"IE.HTTP", L"Internet Explorer"}, {L"WhaleHTM", L"Naver Whale"},
    };
    for (const auto& k : known) {
        if (prog_id.find(k.part) != std::wstring::npos)
            return k.name;
    }
    return prog_id;
}

int browser_image_id(const std::wstring& browser_name)
{
    std::wstring lower = browser_name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
    if (lower.find(L"chrome") != std::wstring::npos)
        return kBrowserImageChrome;
    if (lower.find(L"safari") != std::wstring::npos)
        return kBrowserImageSafari;
    if (lower.find(L"firefox") != std::wstring::npos)
        return kBrowserImageFirefox;
    return kBrowserImageEdge;
}

std::wstring help_http_address(const std::wstring& host, const std::wstring& path)
{
    return L"http://" + host + L":80" + path;
}

std::wstring help_https_address(const std::wstring& host, const std::wstring& path)
{
    return L"https://" + host + L":443" + path;
}
