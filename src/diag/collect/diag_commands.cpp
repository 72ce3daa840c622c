#include "diag/collect/diag_commands.h"

namespace diag_commands {

const wchar_t* const systeminfo = L"systeminfo";
const wchar_t* const tasklist = L"tasklist /v";
const wchar_t* const ipconfig = L"ipconfig /all";
const wchar_t* const winhttp_proxy = L"netsh winhttp show proxy";
const wchar_t* const route_print = L"route print -4";
const wchar_t* const netstat = L"netstat -ano";
const wchar_t* const firewall_state = L"netsh advfirewall show allprofiles state";

const wchar_t* const defender_preferences =
    L"powershell -NoProfile -Command \"Get-MpPreference | Select-Object EnableControlledFolderAccess, "
    L"DisableRealtimeMonitoring, ControlledFolderAccessAllowedApplications | Format-List\"";

// 7776000000 ms is 90 days; /rd:true lists the newest events first.
const wchar_t* const scm_events =
    L"wevtutil qe System /q:\"*[System[Provider[@Name='Service Control Manager'] and (Level=1 or Level=2 or Level=3) "
    L"and TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" /c:200 /rd:true /f:text";
const wchar_t* const system_events =
    L"wevtutil qe System /q:\"*[System[(Level=1 or Level=2) and TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" "
    L"/c:500 /rd:true /f:text";
const wchar_t* const application_events =
    L"wevtutil qe Application /q:\"*[System[(Provider[@Name='Application Error'] or Provider[@Name='Application Hang'] "
    L"or Provider[@Name='.NET Runtime'] or Provider[@Name='Windows Error Reporting']) and "
    L"TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" /c:500 /rd:true /f:text";

const wchar_t* const security_center_products =
    L"powershell -NoProfile -Command \"foreach($c in 'AntiVirusProduct','AntiSpywareProduct','FirewallProduct'){ "
    L"Get-CimInstance -Namespace root/SecurityCenter2 -ClassName $c -EA SilentlyContinue | ForEach-Object { "
    L"$s=[uint32]$_.productState; '{0,-14} {1,-36} 0x{2:X6}  {3}  {4}' -f $c.Replace('Product',''), $_.displayName, $s, "
    L"$(if($s -band 0x1000){'사용중'}else{'꺼짐'}), $(if($s -band 0x10){'정의 오래됨'}else{'정의 최신'}) } }\"";

const wchar_t* const third_party_drivers =
    L"powershell -NoProfile -Command \"Get-CimInstance Win32_SystemDriver | Where-Object { $_.State -eq 'Running' } | "
    L"ForEach-Object { $p=$_.PathName; if($p.StartsWith('\\??\\')){$p=$p.Substring(4)} "
    L"elseif($p.StartsWith('\\SystemRoot\\')){$p=Join-Path $env:SystemRoot $p.Substring(12)} "
    L"elseif(-not $p.Contains(':')){$p=Join-Path $env:SystemRoot $p}; $c=''; "
    L"if(Test-Path $p){ $c=(Get-Item $p).VersionInfo.CompanyName }; "
    L"if($c -notlike '*Microsoft*'){ '{0,-24} {1,-38} {2}' -f $_.Name,$c,$p } } | Sort-Object\"";

const wchar_t* const minifilters = L"fltmc filters";

const wchar_t* const third_party_services =
    L"powershell -NoProfile -Command \"$q=[char]34; Get-CimInstance Win32_Service | Where-Object { $_.State -eq 'Running' } | "
    L"ForEach-Object { $p=$_.PathName; if($p.StartsWith($q)){ $p=$p.Substring(1); $p=$p.Substring(0,$p.IndexOf($q)) } "
    L"else { $i=$p.ToLower().IndexOf('.exe'); if($i -gt 0){ $p=$p.Substring(0,$i+4) } }; $c=''; "
    L"if(Test-Path $p){ $c=(Get-Item $p).VersionInfo.CompanyName }; "
    L"if($c -notlike '*Microsoft*'){ '{0,-28} {1,-36} {2}' -f $_.Name,$c,$_.DisplayName } } | Sort-Object\"";

const wchar_t* const third_party_processes =
    L"powershell -NoProfile -Command \"Get-Process | Where-Object { $_.Company -and $_.Company -notlike '*Microsoft*' } | "
    L"Select-Object -Property ProcessName,Company -Unique | Sort-Object Company,ProcessName | "
    L"ForEach-Object { '{0,-30} {1}' -f $_.ProcessName,$_.Company }\"";

} // namespace diag_commands
