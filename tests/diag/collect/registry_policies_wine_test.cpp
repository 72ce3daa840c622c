// UAC and WinINet proxy values read from the registry with their type checks and
// defaults, on a scratch key so that the machine's own settings stay untouched.
#include "diag/collect/registry_policies_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class ScratchKey : public testing::Test
{
protected:
    void SetUp() override
    {
        m_path = L"Software\\Vantu\\DiagCollectTest" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        if (m_key)
            RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }

    void set_dword(const wchar_t* name, DWORD value)
    {
        RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
    void set_string(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ)
    {
        RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    std::wstring m_path;
    HKEY m_key = nullptr;
};

} // namespace

using UacRegistry = ScratchKey;
using ProxyRegistry = ScratchKey;

TEST_F(UacRegistry, MissingKeyOrValuesGiveTheDefaults)
{
    UacSettings s = read_uac_values(HKEY_CURRENT_USER, m_path + L"\\missing");
    EXPECT_EQ(format_uac_settings(s), format_uac_settings(UacSettings{}));
    s = read_uac_values(HKEY_CURRENT_USER, m_path);
    EXPECT_EQ(s.enable_lua, 1u);
    EXPECT_EQ(s.consent_prompt_behavior_admin, 5u);
    EXPECT_EQ(s.enable_installer_detection, 1u);
}

TEST_F(UacRegistry, DwordValuesAreReadAndOtherTypesIgnored)
{
    set_dword(L"EnableLUA", 0);
    set_dword(L"ConsentPromptBehaviorAdmin", 2);
    set_string(L"PromptOnSecureDesktop", L"0");  // wrong type: keeps the default
    DWORD64 wide = 0;
    RegSetValueExW(m_key, L"FilterAdministratorToken", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&wide), 8);
    std::wstring text = format_uac_settings(read_uac_values(HKEY_CURRENT_USER, m_path));
    EXPECT_NE(text.find(L"EnableLUA                  : 0  (UAC 꺼짐"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"ConsentPromptBehaviorAdmin : 2  (보안 데스크톱에서 동의 요구)\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"PromptOnSecureDesktop      : 1  (보안 데스크톱 사용"), std::wstring::npos);
    EXPECT_NE(text.find(L"FilterAdministratorToken   : 0  (내장 Administrator 는 UAC 미적용 (기본값))\n"),
              std::wstring::npos);
}

TEST_F(UacRegistry, TheMachinesPolicyKeyReadsWithoutError)
{
    // Whatever this machine holds, every line is there.
    std::wstring text = read_uac_settings();
    for (const wchar_t* name : {L"EnableLUA ", L"ConsentPromptBehaviorAdmin ", L"ConsentPromptBehaviorUser ",
                                L"PromptOnSecureDesktop ", L"EnableVirtualization ", L"FilterAdministratorToken ",
                                L"EnableInstallerDetection "})
        EXPECT_NE(text.find(name), std::wstring::npos) << name;
}

TEST_F(ProxyRegistry, EnabledProxyWithItsSettings)
{
    set_dword(L"ProxyEnable", 1);
    set_string(L"ProxyServer", L"proxy.example:3128");
    SetEnvironmentVariableW(L"VANTU_PAC_HOST", L"pac.example");
    set_string(L"AutoConfigURL", L"http://%VANTU_PAC_HOST%/proxy.pac", REG_EXPAND_SZ);
    set_string(L"ProxyOverride", L"<local>;*.vantu.co.kr");
    EXPECT_EQ(format_wininet_proxy(read_wininet_proxy_values(HKEY_CURRENT_USER, m_path)),
              L"ProxyEnable   : 1  (프록시 사용 중)\n"
              L"ProxyServer   : proxy.example:3128\n"
              L"AutoConfigURL : http://pac.example/proxy.pac\n"
              L"ProxyOverride : <local>;*.vantu.co.kr\n");
}

TEST_F(ProxyRegistry, MissingOrMistypedValuesStayEmpty)
{
    EXPECT_EQ(format_wininet_proxy(read_wininet_proxy_values(HKEY_CURRENT_USER, m_path)),
              L"ProxyEnable   : 0\nProxyServer   : \nAutoConfigURL : \nProxyOverride : \n");
    set_string(L"ProxyEnable", L"1");
    set_dword(L"ProxyServer", 8080);
    WinInetProxy proxy = read_wininet_proxy_values(HKEY_CURRENT_USER, m_path);
    EXPECT_EQ(proxy.proxy_enable, 0u);
    EXPECT_EQ(proxy.proxy_server, L"");
}
