#include "diag/collect/registry_policies_win.h"

#include "common/registry_win.h"

const wchar_t kUacPolicyKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

UacSettings read_uac_values(HKEY root, const std::wstring& sub_key)
{
    UacSettings s;
    // A missing value or one of another type keeps its default.
    auto read = [&](const wchar_t* name, std::uint32_t& value) {
        DWORD data = 0;
        if (read_registry_dword(root, sub_key, name, data) == ERROR_SUCCESS)
            value = data;
    };
    read(L"EnableLUA", s.enable_lua);
    read(L"ConsentPromptBehaviorAdmin", s.consent_prompt_behavior_admin);
    read(L"ConsentPromptBehaviorUser", s.consent_prompt_behavior_user);
    read(L"PromptOnSecureDesktop", s.prompt_on_secure_desktop);
    read(L"EnableVirtualization", s.enable_virtualization);
    read(L"FilterAdministratorToken", s.filter_administrator_token);
    read(L"EnableInstallerDetection", s.enable_installer_detection);
    return s;
}

std::wstring read_uac_settings()
{
    return format_uac_settings(read_uac_values(HKEY_LOCAL_MACHINE, kUacPolicyKey));
}
