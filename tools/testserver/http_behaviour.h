#pragma once
// What the test server answers over HTTP and HTTPS: files below the root, the
// check list, behaviours that tests set up through the control endpoints, and the
// log of requests received so far.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// One behaviour set up by POST /__control/rule.
struct HttpRule
{
    std::string path;                      // with a leading "/"
    int status = 200;
    std::string body;
    std::string content_type = "text/plain; charset=utf-8";
    int delay_ms = 0;                      // before the answer starts
    bool bom = false;                      // UTF-8 byte-order mark in front of the body
    int times = -1;                        // requests left; -1 = unlimited
    bool chunked = false;                  // chunked transfer encoding
    long long size = -1;                   // >= 0: body of this many bytes, `body` repeated
    long long abort_after = -1;            // >= 0: drop the connection after this many body bytes
};

class HttpBehaviour
{
public:
    HttpBehaviour(std::string root_dir, std::string checklist_file);

    // Registers every route on `server`; `listener` names it in the printed lines.
    void attach(httplib::Server& server, const std::string& listener);

    // Ends pending delays early so that the server can stop promptly.
    void stop() { m_stopping = true; }

private:
    void handle(const httplib::Request& req, httplib::Response& res, const std::string& listener);
    bool control(const httplib::Request& req, httplib::Response& res);
    void answer_rule(const HttpRule& rule, httplib::Response& res);
    bool answer_file(const std::string& path, httplib::Response& res);
    bool take_rule(const std::string& path, HttpRule& rule);
    void wait_ms(int ms) const;

    std::string m_root_dir;
    std::string m_checklist_file;
    std::mutex m_mutex;
    std::vector<HttpRule> m_rules;
    std::vector<std::string> m_requests;
    std::atomic<bool> m_stopping{false};
};

// "/a/b" for "a/b" and "/a/b"; used for rule paths and request paths alike.
std::string normalise_request_path(const std::string& path);

// Builds a rule from the query parameters of /__control/rule; false with a
// message in `error` when a value is malformed.
bool rule_from_params(const std::vector<std::pair<std::string, std::string>>& params, HttpRule& rule,
                      std::string& error);
