#include "diag/collect/diagnostics.h"

#include <chrono>

#include "common/log.h"
#include "diag/collect/collect_text.h"
#include "diag/collect/diag_commands.h"
#include "diag/collect/diag_section.h"
#include "diag/collect/interference_patterns.h"
#include "diag/collect/tasklist_sort.h"

namespace {

using Runner = std::function<CommandResult(const std::wstring&)>;

CommandResult run_logged(const Runner& run, const wchar_t* command)
{
    SCLOG(0, L"diagnostics: %s", command);
    CommandResult result = run(command);
    if (!result.started)
        SCLOG(3, L"diagnostics: could not start: %s", command);
    else if (result.timed_out)
        SCLOG(3, L"diagnostics: ended after %u ms without finishing: %s", result.timeout_ms, command);
    return result;
}

// A command's output as a section body, marked when it was cut short.
std::wstring command_section(const Runner& run, const wchar_t* command, const std::wstring& title,
                             const std::wstring& note)
{
    CommandResult result = run_logged(run, command);
    return format_section(title, note, with_timeout_note(result, result.output));
}

} // namespace

std::wstring collect_interference(const Runner& run)
{
    CommandResult products = run_logged(run, diag_commands::security_center_products);
    CommandResult drivers = run_logged(run, diag_commands::third_party_drivers);
    CommandResult filters = run_logged(run, diag_commands::minifilters);
    CommandResult services = run_logged(run, diag_commands::third_party_services);
    CommandResult processes = run_logged(run, diag_commands::third_party_processes);

    // The Security Center list names registered products only; it is not scanned.
    std::wstring summary;
    match_interference_lines(drivers.output, L"드라이버", summary);
    match_interference_lines(filters.output, L"미니필터", summary);
    match_interference_lines(services.output, L"서비스", summary);
    match_interference_lines(processes.output, L"프로세스", summary);
    if (summary.empty())
        summary = L"알려진 패턴에 걸린 항목이 없습니다. 아래 전체 목록을 직접 확인해주십시오.";

    std::wstring text = format_section(
        L"Interference Software (요약)",
        L"  원격제어를 방해할 수 있는 것으로 알려진 이름 / 제조사에 걸린 항목만 추린 것이다.\n"
        L"  이 목록에 없어도 안전하다는 뜻이 아니다 — 판단은 아래 전체 목록을 봐야 한다.",
        summary);
    text += format_section(
        L"Security Center Products",
        L"  보안 센터(root\\SecurityCenter2)에 백신 / 안티스파이웨어 / 방화벽으로 \"등록된\" 제품만 나온다.\n"
        L"  국내 키보드보안 · 공인인증 · 문서보안 제품은 여기 등록하지 않으므로 아래 목록을 함께 봐야 한다.\n"
        L"  productState 비트 : 0x1000 = 실시간 감시 사용, 0x0010 = 정의 파일 오래됨",
        with_timeout_note(products, products.output));
    text += format_section(L"Third-party Kernel Drivers",
                           L"  실행 중인 커널 드라이버 중 Microsoft 서명이 아닌 것 전부. 이름 / 제조사 / 경로",
                           with_timeout_note(drivers, drivers.output));
    text += format_section(L"File System Minifilters",
                           L"  백신 · 문서보안 DRM · 암호화 · 랜섬웨어 방지가 모두 여기 등록된다. Altitude 가 로드 순서",
                           with_timeout_note(filters, filters.output));
    text += format_section(L"Third-party Services",
                           L"  실행 중인 서비스 중 Microsoft 서명이 아닌 것 전부. 서비스명 / 제조사 / 표시 이름",
                           with_timeout_note(services, services.output));
    text += format_section(L"Third-party Processes",
                           L"  실행 중인 프로세스 중 Microsoft 서명이 아닌 것 전부(중복 제거). 전체 목록은 tasklist.txt",
                           with_timeout_note(processes, processes.output));
    return text;
}

void collect_diagnostics(DiagTexts& texts, const DiagSources& sources)
{
    const Runner given = sources.run_command ? sources.run_command
                                             : Runner([](const std::wstring&) { return CommandResult{}; });
    // Every command is recorded with its time and end, for the archive's manifest.
    const Runner run = [&given, &texts](const std::wstring& command) {
        const auto start = std::chrono::steady_clock::now();
        CommandResult result = given(command);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        texts.runs.push_back(CollectorRun{command, static_cast<std::uint32_t>(ms.count()), result.exit_code,
                                          result.started, result.timed_out});
        return result;
    };
    SCLOG(0, L"diagnostics: start");
    texts.runs.clear();

    CommandResult systeminfo = run_logged(run, diag_commands::systeminfo);
    texts.systeminfo_text = with_timeout_note(systeminfo, systeminfo.output);

    CommandResult tasklist = run_logged(run, diag_commands::tasklist);
    texts.tasklist_text = with_timeout_note(tasklist, sort_tasklist(tasklist.output));

    texts.network_text = command_section(run, diag_commands::ipconfig, L"ipconfig /all", L"");
    texts.network_text += command_section(run, diag_commands::winhttp_proxy, L"WinHTTP Proxy",
                                          L"  - 서비스 / 시스템 계정이 사용");
    texts.network_text += format_section(L"WinINet Proxy", L"  - 브라우저 및 이 툴의 웹 체크가 사용",
                                         sources.read_wininet_proxy ? sources.read_wininet_proxy() : L"");
    texts.network_text += format_section(L"hosts", L"", sources.read_hosts_file ? sources.read_hosts_file() : L"");
    texts.network_text += command_section(run, diag_commands::route_print, L"route print", L"");
    texts.network_text += command_section(run, diag_commands::netstat, L"netstat -ano", L"");

    texts.security_text = collect_interference(run);
    texts.security_text += command_section(run, diag_commands::firewall_state, L"Windows Firewall State", L"");

    CommandResult defender = run_logged(run, diag_commands::defender_preferences);
    std::wstring defender_body = diag_text::trim(defender.output)
        + L"\n\nEnableControlledFolderAccess : 0 = 사용 안 함, 1 = 사용, 2 = 감사 모드";
    texts.security_text += format_section(L"Windows Defender", L"", with_timeout_note(defender, defender_body));

    texts.security_text += format_section(L"UAC (User Account Control)",
                                          L"  HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                          sources.read_uac_settings ? sources.read_uac_settings() : L"");

    // Event texts: a note in front sits before the first "Event[" and so never
    // reaches the filtered product events.
    CommandResult scm = run_logged(run, diag_commands::scm_events);
    texts.scm_events_text = with_timeout_note(scm, scm.output);
    CommandResult system_events = run_logged(run, diag_commands::system_events);
    texts.system_events_text = with_timeout_note(system_events, system_events.output);
    CommandResult application_events = run_logged(run, diag_commands::application_events);
    texts.application_events_text = with_timeout_note(application_events, application_events.output);

    SCLOG(0, L"diagnostics: done");
}
