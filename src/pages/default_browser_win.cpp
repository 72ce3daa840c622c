#include "pages/default_browser_win.h"

#include "common/gdi_owners_win.h"  // ComInitialisation
#include "pages/default_browser.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

namespace {

std::wstring prog_id_from_association_service()
{
    std::wstring out;
    ComInitialisation com;
    IApplicationAssociationRegistration* registration = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ApplicationAssociationRegistration, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IApplicationAssociationRegistration,
                                   reinterpret_cast<void**>(&registration))) &&
        registration) {
        LPWSTR prog_id = nullptr;
        if (SUCCEEDED(registration->QueryCurrentDefault(L"https", AT_URLPROTOCOL, AL_EFFECTIVE, &prog_id)) &&
            prog_id) {
            out = prog_id;
            CoTaskMemFree(prog_id);
        }
        registration->Release();
    }
    return out;
}

std::wstring prog_id_from_user_choice()
{
    wchar_t value[512] = {};
    DWORD size = sizeof(value) - sizeof(value[0]);
    if (RegGetValueW(HKEY_CURRENT_USER,
                     L"SOFTWARE\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice",
                     L"ProgId", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

}  // namespace

std::wstring default_browser_name()
{
    std::wstring prog_id = prog_id_from_association_service();
    if (prog_id.empty())
        prog_id = prog_id_from_user_choice();
    return browser_name_from_prog_id(prog_id);
}
