#include "check/run/check_codes.h"

namespace {

struct CodeEntry
{
    std::int32_t code;
    int resource;
    const wchar_t* text;
};

// The same texts are string resources 102..111 of the program.
constexpr CodeEntry kCodes[] = {
    {CHECK_OK, 102, L"성공"},
    {CHECK_NO_SERVER_INFO, 103, L"서버 정보가 존재하지 않습니다."},
    {CHECK_SOCKET_CREATE, 104, L"소켓을 생성할 수 없습니다."},
    {CHECK_CONNECT, 105, L"서버에 연결할 수 없습니다."},
    {CHECK_START_SEND, 106, L"시작 신호 전달이 실패했습니다."},
    {CHECK_START_RECV, 107, L"시작 신호에 대한 응답을 받을 수 없습니다."},
    {CHECK_WRONG_ANSWER, 108, L"서버 응답이 올바르지 않습니다."},
    {CHECK_CRYPT_INIT, 109, L"소켓 암호화 초기화에 실패했습니다."},
    {CHECK_CANCELLED, 110, L"사용자에 의해 진단이 취소되었습니다."},
    {CHECK_NOT_ADMIN, 111, L"관리자 권한의 계정이 아닙니다."},
};

const CodeEntry* find_code(std::int32_t code)
{
    for (const CodeEntry& e : kCodes) {
        if (e.code == code)
            return &e;
    }
    return nullptr;
}

} // namespace

std::wstring check_code_text(std::int32_t code)
{
    const CodeEntry* e = find_code(code);
    return e ? e->text : L"";
}

int check_code_resource(std::int32_t code)
{
    const CodeEntry* e = find_code(code);
    return e ? e->resource : 0;
}
