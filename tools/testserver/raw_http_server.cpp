#include "raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

std::string raw_http_answer(const std::string& path)
{
    if (path == "/garbage-headers")
        return "HTTP/1.0 200 OK\r\n"
               "Content-Type: text/plain\r\n"
               "NoColonInThisLine\r\n"
               "\x01\x02\x7f\xff: \xfe\xfd\r\n"
               ": empty name\r\n"
               "Content-Length: banana\r\n"
               "X-Long: " + std::string(5000, 'x') + "\r\n"
               "\r\n"
               "survived";
    if (path == "/no-status-line")
        return "\x16\x03\x01 this is not http\r\n\r\n\x01\x02";
    if (path == "/bad-status")
        return "HTTP/1.0 abc Broken\r\nContent-Type: text/plain\r\n\r\nbroken status";
    if (path == "/huge-header")
        return "HTTP/1.0 200 OK\r\nX-Huge: " + std::string(1024 * 1024, 'h') + "\r\n\r\nafter huge header";
    if (path == "/length-lie")
        return "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n0123456789";
    if (path == "/reset")
        return "";
    return "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nnot found: " + path + "\n";
}

RawHttpServer::~RawHttpServer()
{
    stop();
}

bool RawHttpServer::listen(int port)
{
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0)
        return false;
    int yes = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listener, 16) != 0) {
        close(m_listener);
        m_listener = -1;
        return false;
    }
    socklen_t size = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
    m_port = ntohs(address.sin_port);
    return pipe(m_wake) == 0;
}

void RawHttpServer::start()
{
    if (m_listener >= 0 && !m_thread.joinable())
        m_thread = std::thread([this] { accept_loop(); });
}

void RawHttpServer::stop()
{
    m_stopping = true;
    if (m_wake[1] >= 0) {
        char c = 0;
        (void)!write(m_wake[1], &c, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int* fd : {&m_listener, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

void RawHttpServer::accept_loop()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            break;
        if (fds[0].revents & POLLIN) {
            int client = accept(m_listener, nullptr, nullptr);
            if (client >= 0)
                serve(client);
        }
    }
}

void RawHttpServer::serve(int client)
{
    // One connection at a time, each bounded by a 5 s read limit.
    timeval limit{5, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<size_t>(n));
    }
    std::string path;
    size_t first = request.find(' ');
    if (first != std::string::npos) {
        size_t second = request.find(' ', first + 1);
        path = request.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
    std::string line = request.substr(0, request.find("\r\n"));
    std::printf("[raw] %s\n", line.c_str());
    std::fflush(stdout);

    std::string answer = raw_http_answer(path);
    if (answer.empty()) {
        linger hard{1, 0};  // close with a reset
        setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    } else {
        size_t sent = 0;
        while (sent < answer.size()) {
            ssize_t n = send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        shutdown(client, SHUT_WR);
    }
    close(client);
}
