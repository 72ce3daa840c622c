#include "diag/collect/service_failure_config.h"

#include "common/log.h"
#include "diag/collect/collect_text.h"
#include "diag/collect/diag_section.h"

bool is_safe_service_name(const std::wstring& service_name)
{
    if (diag_text::trim(service_name).empty())
        return false;
    for (wchar_t c : service_name) {
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'%' || c == L'^' || c == L'/' || c == L'\\')
            return false;
    }
    return true;
}

// Quoted only when it holds characters cmd.exe would otherwise act on; inside
// quotes & | < > ( ) and blanks are plain text.
static std::wstring service_argument(const std::wstring& service_name)
{
    if (service_name.find_first_of(L" \t&|<>()!;,=") == std::wstring::npos)
        return service_name;
    return L"\"" + service_name + L"\"";
}

std::wstring service_failure_config_section(const std::wstring& service_name,
                                            const std::function<CommandResult(const std::wstring&)>& run_command)
{
    if (service_name.empty())
        return std::wstring();

    std::wstring command_a = L"sc qfailure " + service_argument(service_name);
    std::wstring command_b = L"sc qfailureflag " + service_argument(service_name);
    if (!is_safe_service_name(service_name) || !run_command) {
        SCLOG(3, L"service name not usable on a command line: %s", service_name.c_str());
        return format_section(L"Service Failure Config", L"",
                              L"> sc qfailure " + service_name
                                  + L"\n서비스 이름에 명령줄에 쓸 수 없는 문자가 있어 실행하지 않았습니다.");
    }

    CommandResult failure = run_command(command_a);
    std::wstring first = L"> " + command_a + L"\n"
                       + with_timeout_note(failure, diag_text::trim(failure.output)) + L"\n\n";

    CommandResult flag = run_command(command_b);
    std::wstring flag_text = flag.output;
    if (flag_text.find(L"TRUE") != std::wstring::npos)
        flag_text = diag_text::replace_all(
            flag_text, L"TRUE",
            L"TRUE   (정상 : 서비스가 오류 코드를 남기고 스스로 종료한 경우에도 위 복구 동작이 실행됨)");
    else if (flag_text.find(L"FALSE") != std::wstring::npos)
        flag_text = diag_text::replace_all(
            flag_text, L"FALSE",
            L"FALSE  (주의 : 프로세스가 강제로 사라진 경우에만 복구됨. 서비스가 오류 코드를 남기며 스스로 종료하면 "
            L"위 복구 동작이 실행되지 않음. Windows 기본값)");
    std::wstring second = L"> " + command_b + L"\n" + with_timeout_note(flag, diag_text::trim(flag_text));

    return format_section(L"Service Failure Config", L"", first + second);
}
