#include "diag/collect/uac_settings.h"

std::wstring explain_enable_lua(std::uint32_t value)
{
    return value == 0 ? L"UAC 꺼짐 — luafv 서비스 시작 실패의 원인. 원격에서 권한 상승 동작이 달라진다"
                      : L"UAC 사용";
}

std::wstring explain_consent_prompt_behavior_admin(std::uint32_t value)
{
    switch (value) {
    case 0: return L"확인 없이 상승 (UAC 사실상 무력화)";
    case 1: return L"보안 데스크톱에서 자격 증명 요구";
    case 2: return L"보안 데스크톱에서 동의 요구";
    case 3: return L"자격 증명 요구";
    case 4: return L"동의 요구";
    case 5: return L"Windows 이외 프로그램에 동의 요구 (기본값)";
    default: return L"알 수 없는 값";
    }
}

std::wstring explain_consent_prompt_behavior_user(std::uint32_t value)
{
    return value == 0 ? L"표준 사용자는 상승 요청 자동 거부" : L"자격 증명 요구";
}

std::wstring explain_prompt_on_secure_desktop(std::uint32_t value)
{
    return value == 0 ? L"일반 데스크톱에서 프롬프트 — 원격에서도 보인다"
                      : L"보안 데스크톱 사용 — 이 화면은 원격 전송이 차단되어 상대에게 검게 보인다";
}

std::wstring explain_enable_virtualization(std::uint32_t value)
{
    return value == 0 ? L"가상화 꺼짐 — 구형 프로그램의 쓰기가 실패할 수 있다" : L"파일·레지스트리 가상화 사용";
}

std::wstring explain_filter_administrator_token(std::uint32_t value)
{
    return value == 0 ? L"내장 Administrator 는 UAC 미적용 (기본값)" : L"내장 Administrator 계정에도 UAC 적용";
}

// A DWORD is shown as the signed 32-bit number of its bits, as "%d" prints it.
static std::wstring as_decimal(std::uint32_t value)
{
    return std::to_wstring(static_cast<std::int32_t>(value));
}

static std::wstring explained_line(const wchar_t* label, std::uint32_t value, const std::wstring& explanation)
{
    return std::wstring(label) + L" : " + as_decimal(value) + L"  (" + explanation + L")\n";
}

std::wstring format_uac_settings(const UacSettings& s)
{
    std::wstring out;
    out += explained_line(L"EnableLUA                 ", s.enable_lua, explain_enable_lua(s.enable_lua));
    out += explained_line(L"ConsentPromptBehaviorAdmin", s.consent_prompt_behavior_admin,
                          explain_consent_prompt_behavior_admin(s.consent_prompt_behavior_admin));
    out += explained_line(L"ConsentPromptBehaviorUser ", s.consent_prompt_behavior_user,
                          explain_consent_prompt_behavior_user(s.consent_prompt_behavior_user));
    out += explained_line(L"PromptOnSecureDesktop     ", s.prompt_on_secure_desktop,
                          explain_prompt_on_secure_desktop(s.prompt_on_secure_desktop));
    out += explained_line(L"EnableVirtualization      ", s.enable_virtualization,
                          explain_enable_virtualization(s.enable_virtualization));
    out += explained_line(L"FilterAdministratorToken  ", s.filter_administrator_token,
                          explain_filter_administrator_token(s.filter_administrator_token));
    out += L"EnableInstallerDetection   : " + as_decimal(s.enable_installer_detection) + L"\n";
    return out;
}
