// Texts and hints the summary and the report show for result codes.
#include <gtest/gtest.h>

#include "check/run/check_codes.h"
#include "check/run/result_text.h"

TEST(ResultText, ToolCodesHaveTheirTexts)
{
    EXPECT_EQ(check_code_text(0), L"성공");
    EXPECT_EQ(result_text(90001, false), L"사용자에 의해 진단이 취소되었습니다.");
    EXPECT_EQ(result_text(90002, false), L"관리자 권한의 계정이 아닙니다.");
    EXPECT_EQ(result_text(90101, false), L"서버 정보가 존재하지 않습니다.");
    EXPECT_EQ(result_text(90102, true), L"소켓을 생성할 수 없습니다.");
    EXPECT_EQ(result_text(90103, false), L"서버에 연결할 수 없습니다.");
    EXPECT_EQ(result_text(90104, false), L"시작 신호 전달이 실패했습니다.");
    EXPECT_EQ(result_text(90105, false), L"시작 신호에 대한 응답을 받을 수 없습니다.");
    EXPECT_EQ(result_text(90106, false), L"서버 응답이 올바르지 않습니다.");
    EXPECT_EQ(result_text(90107, false), L"소켓 암호화 초기화에 실패했습니다.");
    // Unknown codes of the tool's range have no text.
    EXPECT_EQ(result_text(90000, false), L"");
    EXPECT_EQ(result_text(99999, true), L"");
    EXPECT_EQ(check_code_resource(0), 102);
    EXPECT_EQ(check_code_resource(90001), 110);
    EXPECT_EQ(check_code_resource(90002), 111);
    EXPECT_EQ(check_code_resource(90107), 109);
    EXPECT_EQ(check_code_resource(5), 0);
}

TEST(ResultText, WebChecksShowHttpStatusNames)
{
    EXPECT_EQ(result_text(404, true), L"Not Found");
    EXPECT_EQ(result_text(503, true), L"Service Unavailable");
    EXPECT_EQ(http_status_text(200), L"OK");
    EXPECT_EQ(http_status_text(599), L"Not defined status code");
    EXPECT_EQ(http_status_text(7), L"Not defined status code");
    // The same number on a socket check is a system error code, not a status.
    EXPECT_NE(result_text(404, false), L"Not Found");
}

TEST(ResultText, Hints)
{
    const std::wstring admin = L"이 프로그램을 마우스 오른쪽 클릭 후 [관리자 권한으로 실행] 해주세요.";
    const std::wstring server = L"서버 응답이 올바르지 않습니다. [로그 저장] 후 담당자에게 전달해주세요.";
    const std::wstring browser = L"웹브라우저에서 해당 주소를 직접 열어 결과를 확인해주세요.";
    const std::wstring firewall =
        L"사내 방화벽이나 백신이 이 주소의 연결을 막고 있을 수 있습니다. 네트워크 담당자에게 문의해주세요.";
    EXPECT_EQ(result_hint(90002), admin);
    EXPECT_EQ(result_hint(90106), server);
    EXPECT_EQ(result_hint(90107), server);
    EXPECT_EQ(result_hint(12000), browser);
    EXPECT_EQ(result_hint(12029), browser);
    EXPECT_EQ(result_hint(12174), browser);
    EXPECT_EQ(result_hint(11999), firewall);
    EXPECT_EQ(result_hint(12175), firewall);
    EXPECT_EQ(result_hint(90103), firewall);
    EXPECT_EQ(result_hint(404), firewall);
    EXPECT_EQ(result_hint(0), firewall);
}

#ifdef _WIN32
TEST(ResultText, SystemAndWinInetMessages)
{
    // 12029: WinINet's "cannot connect"; 10061: Winsock's "connection refused".
    const std::wstring wininet = result_text(12029, true);
    EXPECT_FALSE(wininet.empty());
    EXPECT_NE(wininet, L"Not defined status code");
    EXPECT_EQ(wininet, system_error_text(12029));
    const std::wstring refused = result_text(10061, false);
    EXPECT_FALSE(refused.empty());
    EXPECT_NE(refused, wininet);
    // Trimmed: no line end left over from the message table.
    EXPECT_NE(refused.back(), L'\n');
    EXPECT_NE(wininet.back(), L'\n');
    EXPECT_NE(refused.back(), L' ');
}
#endif
