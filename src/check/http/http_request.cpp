// The parts of a request that need no network: target and scheme, method, header
// lines, texts, and the record's own bookkeeping.
#include "check/http/http_request.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace {

const std::wstring kHttp = L"http://";
const std::wstring kHttps = L"https://";

bool starts_with(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void remove_all(std::wstring& text, const std::wstring& part)
{
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

// Host, port and path from "scheme://host[:port][/path]". A missing or malformed
// port gives 0, so the scheme's default applies.
void split_url(const std::wstring& url, std::wstring& host, std::int32_t& port, std::wstring& path)
{
    size_t start = url.find(L"://");
    start = start == std::wstring::npos ? 0 : start + 3;
    size_t slash = url.find(L'/', start);
    std::wstring authority = url.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
    path = slash == std::wstring::npos ? L"" : url.substr(slash);
    port = 0;
    size_t colon = authority.rfind(L':');
    if (colon != std::wstring::npos) {
        std::wstring digits = authority.substr(colon + 1);
        authority.erase(colon);
        if (!digits.empty() && digits.size() <= 5 &&
            std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            port = static_cast<std::int32_t>(std::stol(digits));
    }
    host = authority;
}

}  // namespace

HttpRequest::HttpRequest() = default;

std::int32_t HttpRequest::attempt_bound_ms() const
{
    const std::int64_t sum = std::int64_t{std::max(m_connect_timeout_ms, 0)} + 2 * std::int64_t{std::max(m_timeout_ms, 0)} +
                             kHttpBoundMarginMs;
    return static_cast<std::int32_t>(std::min<std::int64_t>(sum, std::int64_t{INT32_MAX}));
}

HttpRequest::HttpRequest(const std::wstring& host, std::int32_t port, const std::wstring& path,
                         const std::wstring& method, bool https, const std::deque<std::wstring>& headers,
                         const std::wstring& body, const std::wstring& download_path)
    : m_host(host), m_port(port), m_path(path), m_method(method), m_https(https), m_body(body),
      m_download_path(download_path)
{
    for (const auto& line : headers)
        m_headers.push_back(http_header_line(line));
}

HttpRequest::HttpRequest(const HttpRequest& other)
{
    *this = other;
}

HttpRequest& HttpRequest::operator=(const HttpRequest& other)
{
    if (this == &other)
        return *this;
    m_status = other.m_status;
    m_host = other.m_host;
    m_port = other.m_port;
    m_path = other.m_path;
    m_method = other.m_method;
    m_https = other.m_https;
    m_body = other.m_body;
    m_connect_timeout_ms = other.m_connect_timeout_ms;
    m_timeout_ms = other.m_timeout_ms;
    m_headers = other.m_headers;
    m_proxy_user = other.m_proxy_user;
    m_proxy_password = other.m_proxy_password;
    m_url = other.m_url;
    m_text = other.m_text;
    m_received = other.m_received;
    m_elapsed_ms = other.m_elapsed_ms;
    m_answered_status = other.m_answered_status;
    m_download_path = other.m_download_path;
    m_bytes_written = other.m_bytes_written;
    m_collect_facts = other.m_collect_facts;
    m_certificate = other.m_certificate;
    m_proxy_settings = other.m_proxy_settings;
    m_progress_events = other.m_progress_events;
    m_secure_channel = other.m_secure_channel;
    return *this;
}

WebProgress web_progress_of(std::uint32_t events)
{
    WebProgress p;
    p.reported = events != 0;
    p.resolving = (events & web_event::resolving) != 0;
    p.name_resolved = (events & web_event::name_resolved) != 0;
    p.connecting = (events & web_event::connecting) != 0;
    p.connected = (events & web_event::connected) != 0;
    p.request_sent = (events & web_event::request_sent) != 0;
    p.response_received = (events & web_event::response_received) != 0;
    p.response_bytes = (events & web_event::response_bytes) != 0;
    return p;
}

WebProgress HttpRequest::progress() const
{
    return web_progress_of(m_progress_events ? m_progress_events->load() : 0);
}

void HttpRequest::reset()
{
    m_status = -1;
    m_url.clear();
    m_body.clear();
    m_text.clear();
    m_received.clear();
    m_download_path.clear();
    m_elapsed_ms = 0;
    m_answered_status = 0;
    m_bytes_written = 0;
    m_certificate = TlsCertificate();
    m_proxy_settings = ProxySettings();
}

std::wstring HttpRequest::describe() const
{
    std::wstring headers;
    for (const auto& line : m_headers)
        headers += line;
    return L"ip = " + m_host + L", port = " + std::to_wstring(m_port) + L", sub_url = " + m_path +
           L", is_https = " + (m_https ? L"1" : L"0") + L", additional_header = " + headers + L", body = " + m_body;
}

void HttpRequest::resolve_target()
{
    if (starts_with(m_host, kHttp) || m_port == 80) {
        m_https = false;
        remove_all(m_host, kHttp);
    } else if (starts_with(m_host, kHttps) || m_port == 443) {
        m_https = true;
        remove_all(m_host, kHttps);
    }

    if (!m_url.empty()) {
        if (!starts_with(m_url, kHttp) && !starts_with(m_url, kHttps))
            m_url = (m_https ? kHttps : kHttp) + m_url;
        else
            m_https = starts_with(m_url, kHttps);
        split_url(m_url, m_host, m_port, m_path);
    }

    if (m_port <= 0)
        m_port = m_https ? 443 : 80;
    if (m_path.empty() || m_path[0] != L'/')
        m_path = L"/" + m_path;
    m_url = (m_https ? kHttps : kHttp) + m_host + L":" + std::to_wstring(m_port) + m_path;
}

bool HttpRequest::normalise_method()
{
    if (m_method.empty())
        m_method = L"GET";
    std::transform(m_method.begin(), m_method.end(), m_method.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return m_method == L"GET" || m_method == L"PUT" || m_method == L"POST" || m_method == L"DELETE";
}

void HttpRequest::add_content_type_header()
{
    // Once only: the record is performed again for every attempt.
    if (std::find(m_headers.begin(), m_headers.end(), kHttpContentTypeLine) == m_headers.end())
        m_headers.push_back(kHttpContentTypeLine);
}

std::wstring http_header_line(const std::wstring& line)
{
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, L"\r\n") == 0)
        return line;
    return line + L"\r\n";
}

void strip_utf8_bom(std::string& bytes)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
}

std::wstring http_unknown_method_text(const std::wstring& method)
{
    return L"Unknown HTTP Request method(\"" + method + L"\")";
}

std::wstring http_send_failed_text(long elapsed_ms, std::int32_t code, const std::wstring& code_text)
{
    return L"HttpSendRequest failed. elapsed = " + std::to_wstring(elapsed_ms) + L"ms. error code = " +
           std::to_wstring(code) + L"(" + code_text + L")";
}

std::wstring http_file_error_text(const std::wstring& path, const wchar_t* operation)
{
    return L"error=" + path + L"\n\nfail to " + operation + L"().";
}

std::wstring trim_message(const std::wstring& text)
{
    const wchar_t* blanks = L" \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::int32_t parse_status_code(const std::wstring& text)
{
    std::wstring code = trim_message(text);
    if (code.size() != 3 || !std::all_of(code.begin(), code.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return 0;
    std::int32_t value = (code[0] - L'0') * 100 + (code[1] - L'0') * 10 + (code[2] - L'0');
    return value >= 100 ? value : 0;
}

bool parse_content_length(const std::wstring& text, std::uint64_t& length)
{
    std::wstring digits = trim_message(text);
    if (digits.empty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return false;
    std::uint64_t value = 0;
    for (wchar_t c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    length = value;
    return true;
}
