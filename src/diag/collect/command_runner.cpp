#include "diag/collect/command_runner.h"

std::wstring console_command_line(const std::wstring& command)
{
    return L"cmd.exe /s /c \"" + command + L"\"";
}

static std::wstring duration_text(std::uint32_t ms)
{
    if (ms % 60000 == 0)
        return std::to_wstring(ms / 60000) + L"분";
    if (ms % 1000 == 0)
        return std::to_wstring(ms / 1000) + L"초";
    return std::to_wstring(ms) + L"밀리초";
}

std::wstring command_timeout_note(std::uint32_t timeout_ms)
{
    return L"※ 명령이 " + duration_text(timeout_ms)
         + L" 안에 끝나지 않아 명령과 그 하위 프로세스를 모두 종료했습니다. 아래는 종료 전까지 받은 출력입니다.";
}

std::wstring with_timeout_note(const CommandResult& result, const std::wstring& body)
{
    if (!result.timed_out)
        return body;
    return command_timeout_note(result.timeout_ms) + L"\n\n" + body;
}
