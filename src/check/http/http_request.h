// One HTTP or HTTPS request through WinINet and its outcome. Used for the check
// list download and the web checks; every failure ends up in the record
// (m_status, m_text), nothing is thrown.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "check/diagnosis/item_diagnosis.h"
#include "check/diagnosis/proxy_route.h"

// A WinINet handle (HINTERNET) without <windows.h> in this header.
using HttpHandle = void*;

class AttemptBound;

// Codes that m_status holds when the request itself failed. Any other value is an
// HTTP status, -1, or WinINet's last error code (12000..12174 and system codes).
inline constexpr std::int32_t kHttpUnreachable = 1232;        // pre-check found no listener
inline constexpr std::int32_t kHttpMethodNotSupported = 405;  // method not GET/PUT/POST/DELETE
// WinINet's "The operation timed out": also what an attempt that our own bound
// cut off records, so that it reads like any other time-out.
inline constexpr std::int32_t kHttpTimedOut = 12002;
// What our own bound adds to the sum of an attempt's limits (connect, send,
// receive) before it stops waiting for WinINet.
inline constexpr std::int32_t kHttpBoundMarginMs = 2000;
// The status line could not be read, or held no number. Note that 0 stands for success among the
// check result codes: callers must never copy this into a result as it is, but
// decide by is_success()/is_server_answer() (0 is neither).
inline constexpr std::int32_t kHttpStatusQueryFailed = 0;
// An in-memory body larger than this fails with -1 instead of exhausting memory;
// downloads to a file have no limit.
inline constexpr std::uint64_t kHttpMaxBodyInMemory = 64ull * 1024 * 1024;

// WinINet's status events as the bits of a request's progress record.
namespace web_event {
inline constexpr std::uint32_t resolving = 1u << 0;
inline constexpr std::uint32_t name_resolved = 1u << 1;
inline constexpr std::uint32_t connecting = 1u << 2;
inline constexpr std::uint32_t connected = 1u << 3;
inline constexpr std::uint32_t sending = 1u << 4;
inline constexpr std::uint32_t request_sent = 1u << 5;
inline constexpr std::uint32_t receiving = 1u << 6;
inline constexpr std::uint32_t response_received = 1u << 7;
inline constexpr std::uint32_t response_bytes = 1u << 8; // the response brought at least one byte
} // namespace web_event

// The record of those bits as the diagnosis reads it.
WebProgress web_progress_of(std::uint32_t events);

class HttpRequest
{
public:
    HttpRequest();
    // Header lines that do not end with "\r\n" get it appended.
    HttpRequest(const std::wstring& host, std::int32_t port, const std::wstring& path,
                const std::wstring& method = L"GET", bool https = true,
                const std::deque<std::wstring>& headers = {}, const std::wstring& body = L"",
                const std::wstring& download_path = L"");
    // Copies every setting and outcome; a copy never shares the open session.
    HttpRequest(const HttpRequest& other);
    HttpRequest& operator=(const HttpRequest& other);

    // Runs the request synchronously; the outcome is in m_status and m_text (or
    // the download file). `pre_check`: first test with is_reachable (2 s) that
    // something listens on host and port. Windows only.
    // Beyond the plain status: a port above 65535 fails with -1 ("Invalid port =
    // N") instead of wrapping; a body that ends before its announced length, or a
    // failed read, is -1 "InternetReadFile() failed." and leaves no download file;
    // a status line without a number is kHttpStatusQueryFailed.
    // Whatever WinINet does, the attempt ends by our own bound: connect, send and
    // receive limits plus kHttpBoundMarginMs, and each body read within the
    // receive limit plus the margin; a cut-off attempt is kHttpTimedOut with the
    // send failure's text.
    void perform(bool pre_check);

    // Prepares another attempt: status -1; url, body, text and download path
    // emptied; elapsed time and byte counters 0. Host, port, path, method, scheme,
    // headers and time limits stay.
    void reset();
    void reset_byte_counters() { m_bytes_written = 0; }

    // "ip = %s, port = %d, sub_url = %s, is_https = %d, additional_header = %s, body = %s"
    std::wstring describe() const;

    // 200: the request did what it was sent for.
    bool is_success() const { return m_status == 200; }
    // 100..599: the server answered (possibly with an error status).
    bool is_server_answer() const { return m_status >= 100 && m_status <= 599; }

    // A TCP connection to host:port (a name is resolved to IPv4) is accepted
    // within `timeout_ms`. Windows only.
    static bool is_reachable(const std::wstring& host, std::int32_t port, std::int32_t timeout_ms);

    // Steps of perform that need no network, in the order perform runs them.
    // Scheme from host prefix and port, m_url override, default port, leading
    // "/", then m_url rebuilt as the URL that is used.
    void resolve_target();
    // Upper-cases m_method (empty = "GET"); false for anything but GET, PUT, POST
    // and DELETE.
    bool normalise_method();
    // Adds the JSON content-type line to m_headers unless it is there already.
    void add_content_type_header();

    std::atomic<HttpHandle> m_session{nullptr};  // closed exactly once: exchanged with null
    std::int32_t m_status = -1;
    std::wstring m_host;
    std::int32_t m_port = 0;
    std::wstring m_path;
    std::wstring m_method = L"GET";
    bool m_https = true;
    std::wstring m_body;
    std::int32_t m_connect_timeout_ms = 5000;
    std::int32_t m_timeout_ms = 30000;
    std::deque<std::wstring> m_headers;
    std::wstring m_proxy_user;
    std::wstring m_proxy_password;
    std::wstring m_url;
    std::wstring m_text;
    // The body of the last answer as received (UTF-8 expected, BOM removed), kept
    // beside m_text because m_text goes through the ANSI code page and loses what
    // it cannot hold: parsers read these bytes. Empty after a failure or a download.
    std::string m_received;
    std::int32_t m_elapsed_ms = 0;
    // The status line of the last answer, kept when its body then failed
    // (m_status -1): the server did answer. 0 when no status line was read.
    std::int32_t m_answered_status = 0;
    std::wstring m_download_path;
    std::uint64_t m_bytes_written = 0;

    // Beyond the outcome, for the diagnosis of a web check: when set, perform
    // also keeps the server's certificate (HTTPS, whether or not the request got
    // an answer) and the proxy settings of the connection WinINet used. Reading
    // them costs no round trip: WinINet already holds both.
    bool m_collect_facts = false;
    // An HTTPS request's secure channel was made (through a proxy: the tunnel
    // opened and TLS ran through it).
    bool m_secure_channel = false;
    TlsCertificate m_certificate;
    ProxySettings m_proxy_settings;

    // The attempt's bound, as the sum of its limits plus the margin.
    std::int32_t attempt_bound_ms() const;

    // How far the last perform got, from WinINet's status callback; also after
    // an attempt that our own bound cut off.
    WebProgress progress() const;

private:
    // The callback's events as bits, shared with the copy that runs the
    // attempt (the callback writes from that copy's thread).
    std::shared_ptr<std::atomic<std::uint32_t>> m_progress_events;

    void close_session();
    // The WinINet calls of one attempt, blocking; `bound` (when set) learns of
    // each body read and tells when nobody waits for the outcome any more.
    void transfer(long start, AttemptBound* bound);
};

inline constexpr const wchar_t* kHttpContentTypeLine = L"Content-Type: application/json; charset=utf-8\r\n";

// `line` ending in "\r\n".
std::wstring http_header_line(const std::wstring& line);
// Drops a leading UTF-8 byte-order mark (EF BB BF).
void strip_utf8_bom(std::string& bytes);
// The texts that m_text holds after the failures of perform.
std::wstring http_unknown_method_text(const std::wstring& method);
std::wstring http_send_failed_text(long elapsed_ms, std::int32_t code, const std::wstring& code_text);
std::wstring http_file_error_text(const std::wstring& path, const wchar_t* operation);

// The operating system's text for a failure code: WinINet's message table for
// 12000..12174, the system's messages otherwise; white space trimmed. Windows only.
std::wstring error_text(std::int32_t code);
// The number of a status line's code: three digits from 100 to 999, else 0.
std::int32_t parse_status_code(const std::wstring& text);
// A Content-Length value: digits only (white space around them allowed), up to
// 18 of them; false for anything else.
bool parse_content_length(const std::wstring& text, std::uint64_t& length);
// White space (blank, tab, CR, LF) removed at both ends.
std::wstring trim_message(const std::wstring& text);
