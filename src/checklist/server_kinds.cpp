#include "checklist/server_kinds.h"

ServerKinds default_server_kinds()
{
    return {
        {L"api", L"API"},
        {L"gateway", L"중계"},
        {L"ios", L"스트리밍"},
        {L"proxy", L"프록시"},
        {L"session", L"세션"},
        {L"update", L"업데이트"},
        {L"web", L"웹"},
    };
}

bool is_socket_kind(const std::wstring& key)
{
    return key == L"session" || key == L"gateway" || key == L"ios";
}
