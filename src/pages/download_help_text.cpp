#include "pages/download_help_text.h"

#include "common/format.h"

const wchar_t kHelpHeadlineMarkup[] =
    L"<size=11><b>서버에서 <cr=RoyalBlue>checklist.json</cr> 파일을 다운로드하지 못했습니다.";

const wchar_t kHelpExplanationMarkup[] =
    L"<size=11><b>대부분 다음과 같은 원인일 가능성이 높습니다.</size></b><br>"
    L"1.인터넷 연결이 원활하지 않거나 일시적 오류인 경우<br>"
    L"2.방화벽이나 보안 소프트웨어가 다운로드를 차단한 경우<br>"
    L"3.조직에서 80 또는 443 포트를 차단한 경우<br>"
    L"4.프록시 서버를 사용중이거나 설정이 잘못된 경우<br><br>"
    L"<cr=royalblue>아래 두 주소값을 웹브라우저 버튼을 클릭하여 열어보면 원인을 알 수 있습니다.<br>"
    L"또는 복사하여 웹브라우저에서 입력한 후 각각의 결과를 확인해주시기 바랍니다.<br>"
    L"정상적인 경우라면 웹브라우저에서 checklist.json 파일을 다운로드하거나<br>"
    L"해당 파일의 내용이 웹브라우저에 표시되어야 합니다.<br>"
    L"실패할 경우에는 네트워크 관리자에게 문의해주시기 바랍니다.</cr>";

const wchar_t kUnknownErrorText[] = L"unknown error";

namespace {

bool is_blank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

}  // namespace

std::wstring help_error_line(std::int32_t code, const std::wstring& system_text)
{
    size_t first = 0, last = system_text.size();
    while (first < last && is_blank(system_text[first]))
        ++first;
    while (last > first && is_blank(system_text[last - 1]))
        --last;
    std::wstring text = system_text.substr(first, last - first);
    if (text.empty())
        text = kUnknownErrorText;
    return format_text(L"에러코드 : %d %s", static_cast<int>(code), text.c_str());
}
