#pragma once
// A listener that answers HTTP requests with broken responses, byte for byte, for
// what a normal HTTP server library refuses to send: garbage header lines, no
// status line, an announced length far beyond the body, a reset connection.
//
// The request path picks the answer:
//   /garbage-headers    200 with malformed header lines and a body "survived"
//   /no-status-line     bytes that are not HTTP at all
//   /bad-status         "HTTP/1.0 abc Broken" and a body
//   /huge-header        200 with a 1 MB header line
//   /length-lie         Content-Length 99999999999 and a body of 10 bytes
//   /reset              the connection is reset without an answer
//   anything else       404
#include <atomic>
#include <string>
#include <thread>

class RawHttpServer
{
public:
    RawHttpServer() = default;
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    // Binds 127.0.0.1:port (0 = any); false when the port is taken.
    bool listen(int port);
    int port() const { return m_port; }
    void start();
    void stop();

private:
    void accept_loop();
    void serve(int client);

    int m_listener = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

// The bytes answered for `path` (empty for a reset).
std::string raw_http_answer(const std::string& path);
