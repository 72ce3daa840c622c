// UAC policy values and what each one means for a remote-control session.
#pragma once

#include <cstdint>
#include <string>

// Values under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System;
// a value that is missing keeps the system's default given here.
struct UacSettings
{
    std::uint32_t enable_lua = 1;
    std::uint32_t consent_prompt_behavior_admin = 5;
    std::uint32_t consent_prompt_behavior_user = 3;
    std::uint32_t prompt_on_secure_desktop = 1;
    std::uint32_t enable_virtualization = 1;
    std::uint32_t filter_administrator_token = 0;
    std::uint32_t enable_installer_detection = 1;
};

std::wstring explain_enable_lua(std::uint32_t value);
std::wstring explain_consent_prompt_behavior_admin(std::uint32_t value);
std::wstring explain_consent_prompt_behavior_user(std::uint32_t value);
std::wstring explain_prompt_on_secure_desktop(std::uint32_t value);
std::wstring explain_enable_virtualization(std::uint32_t value);
std::wstring explain_filter_administrator_token(std::uint32_t value);

// One aligned line per value with its explanation (installer detection without).
std::wstring format_uac_settings(const UacSettings& settings);

// Reads the policy values from the registry and formats them (Windows only).
std::wstring read_uac_settings();
