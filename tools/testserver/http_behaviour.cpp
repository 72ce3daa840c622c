#include "http_behaviour.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool parse_number(const std::string& text, long long min, long long max, long long& out)
{
    if (text.empty() || text.size() > 18)
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    long long value = std::stoll(text);
    if (value < min || value > max)
        return false;
    out = value;
    return true;
}

std::string content_type_for(const fs::path& file)
{
    std::string ext = file.extension().string();
    if (ext == ".json")
        return "application/json";
    if (ext == ".txt")
        return "text/plain; charset=utf-8";
    if (ext == ".html" || ext == ".htm")
        return "text/html; charset=utf-8";
    return "application/octet-stream";
}

// Bytes [offset, offset + length) of `pattern` repeated without end.
std::string repeated_slice(const std::string& pattern, size_t offset, size_t length)
{
    std::string out;
    out.reserve(length);
    size_t pos = offset % pattern.size();
    while (out.size() < length) {
        size_t n = std::min(pattern.size() - pos, length - out.size());
        out.append(pattern, pos, n);
        pos = 0;
    }
    return out;
}

}  // namespace

std::string normalise_request_path(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return "/" + path;
    return path;
}

bool rule_from_params(const std::vector<std::pair<std::string, std::string>>& params, HttpRule& rule,
                      std::string& error)
{
    bool has_path = false;
    for (const auto& [key, value] : params) {
        long long n = 0;
        if (key == "path") {
            rule.path = normalise_request_path(value);
            has_path = true;
        } else if (key == "status") {
            if (!parse_number(value, 100, 999, n)) {
                error = "bad status: " + value;
                return false;
            }
            rule.status = static_cast<int>(n);
        } else if (key == "body") {
            rule.body = value;
        } else if (key == "content_type") {
            rule.content_type = value;
        } else if (key == "delay_ms") {
            if (!parse_number(value, 0, 600000, n)) {
                error = "bad delay_ms: " + value;
                return false;
            }
            rule.delay_ms = static_cast<int>(n);
        } else if (key == "bom") {
            rule.bom = value == "1" || value == "true";
        } else if (key == "times") {
            if (!parse_number(value, -1, 1000000, n)) {
                error = "bad times: " + value;
                return false;
            }
            rule.times = static_cast<int>(n);
        } else if (key == "chunked") {
            rule.chunked = value == "1" || value == "true";
        } else if (key == "size") {
            if (!parse_number(value, 0, 1LL << 40, n)) {
                error = "bad size: " + value;
                return false;
            }
            rule.size = n;
        } else if (key == "abort_after") {
            if (!parse_number(value, 0, 1LL << 40, n)) {
                error = "bad abort_after: " + value;
                return false;
            }
            rule.abort_after = n;
        } else {
            error = "unknown parameter: " + key;
            return false;
        }
    }
    if (!has_path) {
        error = "path missing";
        return false;
    }
    return true;
}

HttpBehaviour::HttpBehaviour(std::string root_dir, std::string checklist_file)
    : m_root_dir(std::move(root_dir)), m_checklist_file(std::move(checklist_file))
{
}

void HttpBehaviour::attach(httplib::Server& server, const std::string& listener)
{
    auto handler = [this, listener](const httplib::Request& req, httplib::Response& res) {
        handle(req, res, listener);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Delete(".*", handler);
    server.Patch(".*", handler);
    server.Options(".*", handler);
    // Control requests need no body, so they are answered before the server
    // insists on a Content-Length for a POST.
    server.set_pre_routing_handler([this, listener](const httplib::Request& req, httplib::Response& res) {
        if (req.path.rfind("/__control/", 0) != 0)
            return httplib::Server::HandlerResponse::Unhandled;
        handle(req, res, listener);
        return httplib::Server::HandlerResponse::Handled;
    });
    server.set_keep_alive_max_count(20);
    // Without the library's default SO_REUSEPORT, so that a port in use is
    // reported instead of shared with another server.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // A thrown exception becomes a 500 answer instead of ending the server.
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.status = 500;
        res.set_content("test server: internal error\n", "text/plain");
    });
}

void HttpBehaviour::wait_ms(int ms) const
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool HttpBehaviour::take_rule(const std::string& path, HttpRule& rule)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        if (it->path != path || it->times == 0)
            continue;
        rule = *it;
        if (it->times > 0 && --it->times == 0)
            m_rules.erase(it);
        return true;
    }
    return false;
}

void HttpBehaviour::handle(const httplib::Request& req, httplib::Response& res, const std::string& listener)
{
    res.status = 200;
    std::string agent = req.get_header_value("User-Agent");
    std::string line = req.method + " " + req.path + " " + req.version + " " + agent;
    bool is_control = req.path.rfind("/__control/", 0) == 0;
    if (!is_control) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(line);
    }

    if (is_control) {
        if (!control(req, res)) {
            res.status = 404;
            res.set_content("unknown control request\n", "text/plain");
        }
    } else if (req.path == "/__echo") {
        // Shows what the client sent: its content type, then its body.
        res.status = 200;
        res.set_content("Content-Type: " + req.get_header_value("Content-Type") + "\n" + req.body,
                        "text/plain; charset=utf-8");
    } else {
        HttpRule rule;
        if (take_rule(normalise_request_path(req.path), rule)) {
            answer_rule(rule, res);
        } else if (!answer_file(req.path, res)) {
            res.status = 404;
            res.set_content("not found: " + req.path + "\n", "text/plain; charset=utf-8");
        }
    }
    std::printf("[%s] %s -> %d\n", listener.c_str(), line.c_str(), res.status);
    std::fflush(stdout);
}

bool HttpBehaviour::control(const httplib::Request& req, httplib::Response& res)
{
    if (req.path == "/__control/rule" && req.method == "POST") {
        std::vector<std::pair<std::string, std::string>> params(req.params.begin(), req.params.end());
        HttpRule rule;
        std::string error;
        if (!rule_from_params(params, rule, error)) {
            res.status = 400;
            res.set_content(error + "\n", "text/plain");
            return true;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        // The newest rule for a path wins.
        m_rules.insert(m_rules.begin(), rule);
        res.set_content("ok\n", "text/plain");
        return true;
    }
    if (req.path == "/__control/reset" && req.method == "POST") {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rules.clear();
        m_requests.clear();
        res.set_content("ok\n", "text/plain");
        return true;
    }
    if (req.path == "/__control/requests" && req.method == "GET") {
        std::string text;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const auto& line : m_requests)
                text += line + "\n";
        }
        res.set_content(text, "text/plain; charset=utf-8");
        return true;
    }
    return false;
}

void HttpBehaviour::answer_rule(const HttpRule& rule, httplib::Response& res)
{
    if (rule.delay_ms > 0)
        wait_ms(rule.delay_ms);
    res.status = rule.status;

    std::string prefix = rule.bom ? kBom : "";
    if (rule.size < 0 && !rule.chunked && rule.abort_after < 0) {
        res.set_content(prefix + rule.body, rule.content_type);
        return;
    }

    // Streamed body: the prefix, then `body` repeated to `size` bytes (or `body`
    // once), sent in slices so that large bodies never sit in memory.
    auto pattern = std::make_shared<std::string>(rule.body.empty() ? std::string("0123456789abcdef\n") : rule.body);
    unsigned long long total =
        prefix.size() + (rule.size >= 0 ? static_cast<unsigned long long>(rule.size) : rule.body.size());
    long long abort_after = rule.abort_after;
    auto head = std::make_shared<std::string>(prefix);
    auto produce = [pattern, head, total, abort_after](size_t offset, httplib::DataSink& sink) -> bool {
        if (abort_after >= 0 && offset >= static_cast<unsigned long long>(abort_after))
            return false;  // drops the connection in the middle of the body
        if (offset >= total) {
            sink.done();
            return true;
        }
        size_t length = static_cast<size_t>(std::min<unsigned long long>(total - offset, 16384));
        if (abort_after >= 0)
            length = std::min<size_t>(length, static_cast<size_t>(abort_after - offset));
        std::string slice;
        size_t pos = offset;
        if (pos < head->size()) {
            size_t n = std::min(head->size() - pos, length);
            slice.append(*head, pos, n);
            pos += n;
        }
        if (slice.size() < length)
            slice += repeated_slice(*pattern, pos - head->size(), length - slice.size());
        return sink.write(slice.data(), slice.size());
    };
    if (rule.chunked) {
        res.set_chunked_content_provider(rule.content_type, produce);
    } else {
        res.set_content_provider(static_cast<size_t>(total), rule.content_type,
                                 [produce](size_t offset, size_t, httplib::DataSink& sink) {
                                     return produce(offset, sink);
                                 });
    }
}

bool HttpBehaviour::answer_file(const std::string& path, httplib::Response& res)
{
    fs::path file;
    if (path == "/download/checklist.json" && !m_checklist_file.empty()) {
        file = m_checklist_file;
    } else {
        if (m_root_dir.empty())
            return false;
        fs::path relative = fs::path(path).relative_path();
        for (const auto& part : relative)
            if (part == "..")
                return false;
        file = fs::path(m_root_dir) / relative;
    }
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    res.status = 200;
    res.set_content(bytes.str(), content_type_for(file));
    return true;
}
