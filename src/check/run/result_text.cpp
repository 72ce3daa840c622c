#include "check/run/result_text.h"

#include "check/http_status.h"
#include "check/run/check_codes.h"

std::wstring http_status_text(std::int32_t status)
{
    return status_name(status);
}

std::wstring result_text(std::int32_t code, bool is_web_check)
{
    if (code >= 90000)
        return check_code_text(code);
    if (is_web_check && code >= 100 && code <= 599)
        return http_status_text(code);
    return system_error_text(code);
}

std::wstring result_hint(std::int32_t code)
{
    if (code == CHECK_NOT_ADMIN)
        return L"이 프로그램을 마우스 오른쪽 클릭 후 [관리자 권한으로 실행] 해주세요.";
    if (code == CHECK_WRONG_ANSWER || code == CHECK_CRYPT_INIT)
        return L"서버 응답이 올바르지 않습니다. [로그 저장] 후 담당자에게 전달해주세요.";
    if (code >= 12000 && code <= 12174)
        return L"웹브라우저에서 해당 주소를 직접 열어 결과를 확인해주세요.";
    return L"사내 방화벽이나 백신이 이 주소의 연결을 막고 있을 수 있습니다. 네트워크 담당자에게 문의해주세요.";
}

