// The diagnostics as a whole with stand-in sources: order of the steps, the
// sections of each text, explanations, time-out notes, the service section.
#include "diag/collect/diag_commands.h"
#include "diag/collect/diagnostics.h"
#include "diag/collect/service_failure_config.h"
#include "diag/collect/uac_settings.h"
#include "diag/collect/wininet_proxy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Answers commands from a table and records the order in which they were asked.
struct ScriptedCommands
{
    std::map<std::wstring, CommandResult> answers;
    std::vector<std::wstring> asked;

    void answer(const std::wstring& command, const std::wstring& output, bool timed_out = false)
    {
        CommandResult r;
        r.output = output;
        r.started = true;
        r.timed_out = timed_out;
        r.timeout_ms = 120000;
        answers[command] = r;
    }

    std::function<CommandResult(const std::wstring&)> runner()
    {
        return [this](const std::wstring& command) {
            asked.push_back(command);
            auto it = answers.find(command);
            return it == answers.end() ? CommandResult{} : it->second;
        };
    }
};

DiagSources sources_for(ScriptedCommands& commands)
{
    DiagSources sources;
    sources.run_command = commands.runner();
    sources.read_wininet_proxy = [] { return format_wininet_proxy(WinInetProxy{}); };
    sources.read_hosts_file = [] { return std::wstring(L"127.0.0.1 localhost\r\n"); };
    sources.read_uac_settings = [] { return format_uac_settings(UacSettings{}); };
    return sources;
}

// Section titles of a text in their order.
std::vector<std::wstring> titles_of(const std::wstring& text)
{
    std::vector<std::wstring> titles;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(pos, end - pos);
        if (line.size() > 2 && line.front() == L'[' && line.back() == L']' && (pos == 0 || text.compare(pos - 2, 2, L"\n\n") == 0))
            titles.push_back(line.substr(1, line.size() - 2));
        pos = end + 1;
    }
    return titles;
}

} // namespace

TEST(CollectDiagnostics, RunsTheCommandsInOrderAndFillsEveryText)
{
    ScriptedCommands commands;
    commands.answer(diag_commands::systeminfo, L"Host Name: PC\n");
    commands.answer(diag_commands::tasklist, L"Image Name\n=====\nz.exe\nA.exe\n");
    commands.answer(diag_commands::ipconfig, L"Windows IP Configuration\n");
    commands.answer(diag_commands::third_party_services, L"AnyDesk  philandro  AnyDesk Service\n");
    commands.answer(diag_commands::defender_preferences, L"\n\nEnableControlledFolderAccess : 0\n\n");
    commands.answer(diag_commands::scm_events, L"Event[0]:\n scm\n");
    commands.answer(diag_commands::system_events, L"Event[0]:\n system\n");
    commands.answer(diag_commands::application_events, L"Event[0]:\n app\n");

    DiagTexts texts;
    collect_diagnostics(texts, sources_for(commands));

    EXPECT_EQ(commands.asked, (std::vector<std::wstring>{
        diag_commands::systeminfo, diag_commands::tasklist, diag_commands::ipconfig, diag_commands::winhttp_proxy,
        diag_commands::route_print, diag_commands::netstat, diag_commands::security_center_products,
        diag_commands::third_party_drivers, diag_commands::minifilters, diag_commands::third_party_services,
        diag_commands::third_party_processes, diag_commands::firewall_state, diag_commands::defender_preferences,
        diag_commands::scm_events, diag_commands::system_events, diag_commands::application_events}));

    EXPECT_EQ(texts.systeminfo_text, L"Host Name: PC\n");
    EXPECT_EQ(texts.tasklist_text, L"Image Name\n=====\n\nA.exe\nz.exe");
    EXPECT_EQ(titles_of(texts.network_text), (std::vector<std::wstring>{
        L"ipconfig /all", L"WinHTTP Proxy", L"WinINet Proxy", L"hosts", L"route print", L"netstat -ano"}));
    EXPECT_EQ(titles_of(texts.security_text), (std::vector<std::wstring>{
        L"Interference Software (요약)", L"Security Center Products", L"Third-party Kernel Drivers",
        L"File System Minifilters", L"Third-party Services", L"Third-party Processes", L"Windows Firewall State",
        L"Windows Defender", L"UAC (User Account Control)"}));
    EXPECT_EQ(texts.scm_events_text, L"Event[0]:\n scm\n");
    EXPECT_EQ(texts.system_events_text, L"Event[0]:\n system\n");
    EXPECT_EQ(texts.application_events_text, L"Event[0]:\n app\n");

    EXPECT_NE(texts.network_text.find(L"[WinHTTP Proxy]\n  - 서비스 / 시스템 계정이 사용\n\n\n"), std::wstring::npos);
    EXPECT_NE(texts.network_text.find(L"[WinINet Proxy]\n  - 브라우저 및 이 툴의 웹 체크가 사용\nProxyEnable   : 0\n"),
              std::wstring::npos);
    EXPECT_NE(texts.network_text.find(L"[hosts]\n127.0.0.1 localhost\n\n[route print]\n"), std::wstring::npos);
    EXPECT_EQ(texts.security_text.find(L"[Interference Software (요약)]\n"
                                       L"  원격제어를 방해할 수 있는 것으로 알려진 이름 / 제조사에 걸린 항목만 추린 것이다.\n"
                                       L"  이 목록에 없어도 안전하다는 뜻이 아니다 — 판단은 아래 전체 목록을 봐야 한다.\n"
                                       L"[원격제어] 서비스        AnyDesk  philandro  AnyDesk Service\n\n"),
              0u);
    EXPECT_NE(texts.security_text.find(L"[Windows Defender]\nEnableControlledFolderAccess : 0\n\n"
                                       L"EnableControlledFolderAccess : 0 = 사용 안 함, 1 = 사용, 2 = 감사 모드\n\n"),
              std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"[UAC (User Account Control)]\n"
                                       L"  HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\n"
                                       L"EnableLUA                  : 1  (UAC 사용)\n"),
              std::wstring::npos);
}

TEST(CollectDiagnostics, MissingCommandsKeepTitlesAndNotes)
{
    // Nothing answers: as on a PC without powershell, wevtutil or fltmc.
    ScriptedCommands commands;
    DiagSources sources = sources_for(commands);
    sources.read_hosts_file = [] { return std::wstring(); };
    DiagTexts texts;
    collect_diagnostics(texts, sources);

    EXPECT_EQ(texts.systeminfo_text, L"");
    EXPECT_EQ(texts.tasklist_text, L"");
    EXPECT_EQ(titles_of(texts.network_text).size(), 6u);
    EXPECT_EQ(titles_of(texts.security_text).size(), 9u);
    EXPECT_NE(texts.network_text.find(L"[hosts]\n\n\n[route print]"), std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"[Interference Software (요약)]\n"), std::wstring::npos);
    EXPECT_NE(texts.security_text.find(
                  L"알려진 패턴에 걸린 항목이 없습니다. 아래 전체 목록을 직접 확인해주십시오.\n\n[Security Center Products]\n"
                  L"  보안 센터(root\\SecurityCenter2)에 백신 / 안티스파이웨어 / 방화벽으로 \"등록된\" 제품만 나온다.\n"),
              std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"[Windows Defender]\nEnableControlledFolderAccess : 0 = 사용 안 함"),
              std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"[File System Minifilters]\n  백신 · 문서보안 DRM · 암호화 · 랜섬웨어 방지가 "
                                       L"모두 여기 등록된다. Altitude 가 로드 순서\n\n\n"),
              std::wstring::npos);
}

TEST(CollectDiagnostics, ACommandEndedForRunningOverSaysSoInItsSection)
{
    ScriptedCommands commands;
    commands.answer(diag_commands::netstat, L"  Proto  Local Address\n  TCP    0.0.0.0:135\n", true);
    commands.answer(diag_commands::tasklist, L"Image Name\n=====\nb\na", true);
    commands.answer(diag_commands::third_party_drivers, L"vmci  VMware  C:\\vmci.sys", true);
    DiagTexts texts;
    collect_diagnostics(texts, sources_for(commands));

    std::wstring note = command_timeout_note(120000);
    EXPECT_NE(note.find(L"2분"), std::wstring::npos);
    EXPECT_NE(texts.network_text.find(L"[netstat -ano]\n" + note + L"\n\n  Proto  Local Address\n  TCP    0.0.0.0:135\n\n"),
              std::wstring::npos);
    // Sorting applies to the command's rows, not to the note.
    EXPECT_EQ(texts.tasklist_text, note + L"\n\nImage Name\n=====\na\nb");
    // The summary still scans what was read before the command was ended.
    EXPECT_NE(texts.security_text.find(L"[가상화] 드라이버       vmci  VMware  C:\\vmci.sys\n"), std::wstring::npos);
    EXPECT_NE(texts.security_text.find(L"[Third-party Kernel Drivers]\n  실행 중인 커널 드라이버 중 Microsoft 서명이 아닌 것 "
                                       L"전부. 이름 / 제조사 / 경로\n" + note),
              std::wstring::npos);
    // Other sections carry no note.
    EXPECT_EQ(texts.network_text.find(note), texts.network_text.find(L"[netstat -ano]\n") + 15);
}

TEST(UacSettings, DefaultsWhenNothingIsSet)
{
    EXPECT_EQ(format_uac_settings(UacSettings{}),
              L"EnableLUA                  : 1  (UAC 사용)\n"
              L"ConsentPromptBehaviorAdmin : 5  (Windows 이외 프로그램에 동의 요구 (기본값))\n"
              L"ConsentPromptBehaviorUser  : 3  (자격 증명 요구)\n"
              L"PromptOnSecureDesktop      : 1  (보안 데스크톱 사용 — 이 화면은 원격 전송이 차단되어 상대에게 검게 보인다)\n"
              L"EnableVirtualization       : 1  (파일·레지스트리 가상화 사용)\n"
              L"FilterAdministratorToken   : 0  (내장 Administrator 는 UAC 미적용 (기본값))\n"
              L"EnableInstallerDetection   : 1\n");
}

TEST(UacSettings, EveryExplanation)
{
    EXPECT_EQ(explain_enable_lua(0), L"UAC 꺼짐 — luafv 서비스 시작 실패의 원인. 원격에서 권한 상승 동작이 달라진다");
    EXPECT_EQ(explain_enable_lua(2), L"UAC 사용");
    const wchar_t* admin[] = {L"확인 없이 상승 (UAC 사실상 무력화)", L"보안 데스크톱에서 자격 증명 요구",
                              L"보안 데스크톱에서 동의 요구", L"자격 증명 요구", L"동의 요구",
                              L"Windows 이외 프로그램에 동의 요구 (기본값)"};
    for (std::uint32_t v = 0; v < 6; ++v)
        EXPECT_EQ(explain_consent_prompt_behavior_admin(v), admin[v]) << v;
    EXPECT_EQ(explain_consent_prompt_behavior_admin(6), L"알 수 없는 값");
    EXPECT_EQ(explain_consent_prompt_behavior_admin(0xFFFFFFFF), L"알 수 없는 값");
    EXPECT_EQ(explain_consent_prompt_behavior_user(0), L"표준 사용자는 상승 요청 자동 거부");
    EXPECT_EQ(explain_consent_prompt_behavior_user(1), L"자격 증명 요구");
    EXPECT_EQ(explain_prompt_on_secure_desktop(0), L"일반 데스크톱에서 프롬프트 — 원격에서도 보인다");
    EXPECT_EQ(explain_enable_virtualization(0), L"가상화 꺼짐 — 구형 프로그램의 쓰기가 실패할 수 있다");
    EXPECT_EQ(explain_filter_administrator_token(1), L"내장 Administrator 계정에도 UAC 적용");

    UacSettings off;
    off.enable_lua = 0;
    off.consent_prompt_behavior_admin = 0xFFFFFFFF;
    std::wstring text = format_uac_settings(off);
    EXPECT_EQ(text.find(L"EnableLUA                  : 0  (UAC 꺼짐"), 0u);
    EXPECT_NE(text.find(L"ConsentPromptBehaviorAdmin : -1  (알 수 없는 값)\n"), std::wstring::npos);
}

TEST(WinInetProxy, EnabledProxyIsMarked)
{
    WinInetProxy proxy;
    proxy.proxy_enable = 1;
    proxy.proxy_server = L"10.0.0.1:8080";
    proxy.proxy_override = L"<local>";
    EXPECT_EQ(format_wininet_proxy(proxy),
              L"ProxyEnable   : 1  (프록시 사용 중)\nProxyServer   : 10.0.0.1:8080\nAutoConfigURL : \nProxyOverride : <local>\n");
    EXPECT_EQ(format_wininet_proxy(WinInetProxy{}),
              L"ProxyEnable   : 0\nProxyServer   : \nAutoConfigURL : \nProxyOverride : \n");
}

TEST(ServiceFailureConfig, NoServiceNameNoSection)
{
    ScriptedCommands commands;
    EXPECT_EQ(service_failure_config_section(L"", commands.runner()), L"");
    EXPECT_TRUE(commands.asked.empty());
}

TEST(ServiceFailureConfig, ExplainsTheFailureFlag)
{
    ScriptedCommands commands;
    commands.answer(L"sc qfailure VantuHostSvr", L"\r\n[SC] QueryServiceConfig2 SUCCESS\r\n\r\nRESET_PERIOD : 0\r\n");
    commands.answer(L"sc qfailureflag VantuHostSvr", L"[SC] QueryServiceConfig2 SUCCESS\r\nFAILURE_ACTIONS_ON_NONCRASH_FAILURES: FALSE\r\n");
    EXPECT_EQ(service_failure_config_section(L"VantuHostSvr", commands.runner()),
              L"[Service Failure Config]\n"
              L"> sc qfailure VantuHostSvr\n[SC] QueryServiceConfig2 SUCCESS\n\nRESET_PERIOD : 0\n\n"
              L"> sc qfailureflag VantuHostSvr\n[SC] QueryServiceConfig2 SUCCESS\n"
              L"FAILURE_ACTIONS_ON_NONCRASH_FAILURES: FALSE  (주의 : 프로세스가 강제로 사라진 경우에만 복구됨. "
              L"서비스가 오류 코드를 남기며 스스로 종료하면 위 복구 동작이 실행되지 않음. Windows 기본값)\n\n");

    commands.answer(L"sc qfailureflag VantuHostSvr", L"FLAG: TRUE (FALSE before)\n");
    std::wstring text = service_failure_config_section(L"VantuHostSvr", commands.runner());
    EXPECT_NE(text.find(L"FLAG: TRUE   (정상 : 서비스가 오류 코드를 남기고 스스로 종료한 경우에도 위 복구 동작이 실행됨) "
                        L"(FALSE before)\n\n"),
              std::wstring::npos);
}

TEST(ServiceFailureConfig, NamesThatCouldChangeTheCommandLineAreNotRun)
{
    ScriptedCommands commands;
    for (const wchar_t* name : {L"svc\" & del x", L"%COMSPEC%", L"a^b", L"a\nb", L"  ", L"a/b"}) {
        std::wstring text = service_failure_config_section(name, commands.runner());
        EXPECT_EQ(text.find(L"[Service Failure Config]\n"), 0u) << name;
        EXPECT_NE(text.find(L"실행하지 않았습니다"), std::wstring::npos) << name;
    }
    EXPECT_TRUE(commands.asked.empty());

    // A name with blanks or & is passed as one quoted argument.
    service_failure_config_section(L"Vantu Host & Svc", commands.runner());
    EXPECT_EQ(commands.asked, (std::vector<std::wstring>{L"sc qfailure \"Vantu Host & Svc\"",
                                                         L"sc qfailureflag \"Vantu Host & Svc\""}));
}

TEST(DiagCommands, CommandLinesAreExactlyTheDocumentedOnes)
{
    EXPECT_EQ(std::wstring(diag_commands::systeminfo),
              L"systeminfo");
    EXPECT_EQ(std::wstring(diag_commands::tasklist),
              L"tasklist /v");
    EXPECT_EQ(std::wstring(diag_commands::ipconfig),
              L"ipconfig /all");
    EXPECT_EQ(std::wstring(diag_commands::winhttp_proxy),
              L"netsh winhttp show proxy");
    EXPECT_EQ(std::wstring(diag_commands::route_print),
              L"route print -4");
    EXPECT_EQ(std::wstring(diag_commands::netstat),
              L"netstat -ano");
    EXPECT_EQ(std::wstring(diag_commands::firewall_state),
              L"netsh advfirewall show allprofiles state");
    EXPECT_EQ(std::wstring(diag_commands::defender_preferences),
              L"powershell -NoProfile -Command \"Get-MpPreference | Select-Object EnableControlledFolderAccess, DisableRealtimeMonitoring, ControlledFolderAccessAllowedApplications | Format-List\"");
    EXPECT_EQ(std::wstring(diag_commands::scm_events),
              L"wevtutil qe System /q:\"*[System[Provider[@Name='Service Control Manager'] and (Level=1 or Level=2 or Level=3) and TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" /c:200 /rd:true /f:text");
    EXPECT_EQ(std::wstring(diag_commands::system_events),
              L"wevtutil qe System /q:\"*[System[(Level=1 or Level=2) and TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" /c:500 /rd:true /f:text");
    EXPECT_EQ(std::wstring(diag_commands::application_events),
              L"wevtutil qe Application /q:\"*[System[(Provider[@Name='Application Error'] or Provider[@Name='Application Hang'] or Provider[@Name='.NET Runtime'] or Provider[@Name='Windows Error Reporting']) and TimeCreated[timediff(@SystemTime) <= 7776000000]]]\" /c:500 /rd:true /f:text");
    EXPECT_EQ(std::wstring(diag_commands::security_center_products),
              L"powershell -NoProfile -Command \"foreach($c in 'AntiVirusProduct','AntiSpywareProduct','FirewallProduct'){ Get-CimInstance -Namespace root/SecurityCenter2 -ClassName $c -EA SilentlyContinue | ForEach-Object { $s=[uint32]$_.productState; '{0,-14} {1,-36} 0x{2:X6}  {3}  {4}' -f $c.Replace('Product',''), $_.displayName, $s, $(if($s -band 0x1000){'사용중'}else{'꺼짐'}), $(if($s -band 0x10){'정의 오래됨'}else{'정의 최신'}) } }\"");
    EXPECT_EQ(std::wstring(diag_commands::third_party_drivers),
              L"powershell -NoProfile -Command \"Get-CimInstance Win32_SystemDriver | Where-Object { $_.State -eq 'Running' } | ForEach-Object { $p=$_.PathName; if($p.StartsWith('\\??\\')){$p=$p.Substring(4)} elseif($p.StartsWith('\\SystemRoot\\')){$p=Join-Path $env:SystemRoot $p.Substring(12)} elseif(-not $p.Contains(':')){$p=Join-Path $env:SystemRoot $p}; $c=''; if(Test-Path $p){ $c=(Get-Item $p).VersionInfo.CompanyName }; if($c -notlike '*Microsoft*'){ '{0,-24} {1,-38} {2}' -f $_.Name,$c,$p } } | Sort-Object\"");
    EXPECT_EQ(std::wstring(diag_commands::minifilters),
              L"fltmc filters");
    EXPECT_EQ(std::wstring(diag_commands::third_party_services),
              L"powershell -NoProfile -Command \"$q=[char]34; Get-CimInstance Win32_Service | Where-Object { $_.State -eq 'Running' } | ForEach-Object { $p=$_.PathName; if($p.StartsWith($q)){ $p=$p.Substring(1); $p=$p.Substring(0,$p.IndexOf($q)) } else { $i=$p.ToLower().IndexOf('.exe'); if($i -gt 0){ $p=$p.Substring(0,$i+4) } }; $c=''; if(Test-Path $p){ $c=(Get-Item $p).VersionInfo.CompanyName }; if($c -notlike '*Microsoft*'){ '{0,-28} {1,-36} {2}' -f $_.Name,$c,$_.DisplayName } } | Sort-Object\"");
    EXPECT_EQ(std::wstring(diag_commands::third_party_processes),
              L"powershell -NoProfile -Command \"Get-Process | Where-Object { $_.Company -and $_.Company -notlike '*Microsoft*' } | Select-Object -Property ProcessName,Company -Unique | Sort-Object Company,ProcessName | ForEach-Object { '{0,-30} {1}' -f $_.ProcessName,$_.Company }\"");
}
