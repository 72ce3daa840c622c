#include "control_client_win.h"

#include "support/win/test_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>

std::string url_encode(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

ControlAnswer control_request(const std::string& method, const std::string& target)
{
    ControlAnswer answer;
    int port = test_support::http_port();
    if (port <= 0)
        return answer;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return answer;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        DWORD limit_ms = 10000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit_ms), sizeof limit_ms);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit_ms), sizeof limit_ms);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            std::string request = method + " " + target +
                                  " HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: control\r\nContent-Length: 0\r\n\r\n";
            send(s, request.data(), static_cast<int>(request.size()), 0);
            std::string received;
            char buffer[4096];
            for (;;) {
                int n = recv(s, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                received.append(buffer, static_cast<size_t>(n));
            }
            size_t space = received.find(' ');
            size_t end_of_head = received.find("\r\n\r\n");
            if (space != std::string::npos && end_of_head != std::string::npos) {
                answer.status = std::atoi(received.c_str() + space + 1);
                answer.body = received.substr(end_of_head + 4);
            }
        }
        closesocket(s);
    }
    WSACleanup();
    return answer;
}
