// The console commands the diagnostics run, exactly as cmd.exe receives them.
#pragma once

namespace diag_commands {

extern const wchar_t* const systeminfo;
extern const wchar_t* const tasklist;
extern const wchar_t* const ipconfig;
extern const wchar_t* const winhttp_proxy;
extern const wchar_t* const route_print;
extern const wchar_t* const netstat;
extern const wchar_t* const firewall_state;
extern const wchar_t* const defender_preferences;
extern const wchar_t* const scm_events;
extern const wchar_t* const system_events;
extern const wchar_t* const application_events;

// Interference listings, run in this order.
extern const wchar_t* const security_center_products;
extern const wchar_t* const third_party_drivers;
extern const wchar_t* const minifilters;
extern const wchar_t* const third_party_services;
extern const wchar_t* const third_party_processes;

} // namespace diag_commands
