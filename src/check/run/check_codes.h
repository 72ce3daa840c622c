// The tool's own result codes. They share one field with HTTP statuses and
// WinINet/system error codes.
#pragma once

#include <cstdint>
#include <string>

enum CheckCode : std::int32_t
{
    CHECK_OK = 0,
    CHECK_CANCELLED = 90001,        // the user stopped the run
    CHECK_NOT_ADMIN = 90002,
    CHECK_NO_SERVER_INFO = 90101,
    CHECK_SOCKET_CREATE = 90102,
    CHECK_CONNECT = 90103,
    CHECK_START_SEND = 90104,
    CHECK_START_RECV = 90105,
    CHECK_WRONG_ANSWER = 90106,
    CHECK_CRYPT_INIT = 90107,
};

// The text of one of the codes above; empty for any other code.
std::wstring check_code_text(std::int32_t code);
// String resource id of the code's text (102..111), 0 for an unknown code.
int check_code_resource(std::int32_t code);
