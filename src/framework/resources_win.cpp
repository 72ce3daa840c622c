#include "framework/resources_win.h"

#include <vector>

std::wstring load_string(UINT id)
{
    const wchar_t* text = nullptr;
    int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(n));
}

std::wstring version_value(const std::wstring& name, const std::wstring& path)
{
    std::wstring file = path;
    if (file.empty()) {
        wchar_t buf[MAX_PATH * 2] = {};
        if (!GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf))))
            return {};
        file = buf;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    struct Translation {
        WORD language;
        WORD code_page;
    };
    Translation* tr = nullptr;
    UINT tr_len = 0;
    std::vector<std::wstring> candidates;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &tr_len) && tr) {
        for (UINT i = 0; i < tr_len / sizeof(Translation); ++i) {
            wchar_t sub[64];
            swprintf(sub, 64, L"\\StringFileInfo\\%04x%04x\\", tr[i].language, tr[i].code_page);
            candidates.emplace_back(sub);
        }
    }
    candidates.emplace_back(L"\\StringFileInfo\\041204b0\\");
    candidates.emplace_back(L"\\StringFileInfo\\040904b0\\");
    for (const auto& prefix : candidates) {
        wchar_t* value = nullptr;
        UINT len = 0;
        std::wstring query = prefix + name;
        if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &len) && value && len) {
            std::wstring out(value);
            return out;
        }
    }
    return {};
}

const void* resource_bytes(const wchar_t* type, UINT id, DWORD* size)
{
    if (size)
        *size = 0;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(module, res);
    if (!data)
        return nullptr;
    if (size)
        *size = SizeofResource(module, res);
    return LockResource(data);
}
