// perform, is_reachable and error_text on WinINet and Winsock.
#include "check/http/http_request.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wininet.h>

#include "check/diagnosis/failure_kind.h"
#include "check/http/attempt_bound.h"
#include "check/http/http_request_facts_win.h"
#include "common/text_convert.h"
#include "common/text_convert_win.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// Certificate checks that are switched off for HTTPS: unknown authority, wrong
// usage, name, date, revocation, and redirects between HTTP and HTTPS.
constexpr DWORD kIgnoreCertificateProblems = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_WRONG_USAGE |
                                             SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                                             SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                                             SECURITY_FLAG_IGNORE_REVOCATION | SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTPS |
                                             SECURITY_FLAG_IGNORE_REDIRECT_TO_HTTP;
static_assert(kIgnoreCertificateProblems == 0xF380);

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;
static_assert(kRequestFlags == 0x84000002);
constexpr DWORD kSecureRequestFlags = kRequestFlags | INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID |
                                      INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;
static_assert(kSecureRequestFlags == 0x84803002);

constexpr DWORD kReadChunk = 4096;

long clock_ms()
{
    return static_cast<long>(std::clock() * 1000LL / CLOCKS_PER_SEC);
}

void set_dword_option(HINTERNET handle, DWORD option, std::int32_t value)
{
    DWORD v = static_cast<DWORD>(std::max<std::int32_t>(value, 0));
    InternetSetOptionW(handle, option, &v, sizeof v);
}

void close_handle(HINTERNET& handle)
{
    if (handle) {
        InternetCloseHandle(handle);
        handle = nullptr;
    }
}

// WinINet calls this during the request's own calls, on their thread, for
// handles made with a non-zero context: the context is the request's record of
// events, which the running copy keeps alive.
void CALLBACK note_status(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD info_length)
{
    std::uint32_t bit = 0;
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME: bit = web_event::resolving; break;
    case INTERNET_STATUS_NAME_RESOLVED: bit = web_event::name_resolved; break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER: bit = web_event::connecting; break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER: bit = web_event::connected; break;
    case INTERNET_STATUS_SENDING_REQUEST: bit = web_event::sending; break;
    case INTERNET_STATUS_REQUEST_SENT: bit = web_event::request_sent; break;
    case INTERNET_STATUS_RECEIVING_RESPONSE: bit = web_event::receiving; break;
    case INTERNET_STATUS_RESPONSE_RECEIVED:
        // Its information is the number of bytes received: none is a closed connection.
        bit = web_event::response_received;
        if (info && info_length >= sizeof(DWORD) && *static_cast<const DWORD*>(info) > 0)
            bit |= web_event::response_bytes;
        break;
    default: return;
    }
    if (context)
        reinterpret_cast<std::atomic<std::uint32_t>*>(context)->fetch_or(bit);
}

// The request's connection is a secure channel (SECURITY_FLAG_SECURE).
bool secure_channel_open(HINTERNET request)
{
    DWORD flags = 0;
    DWORD size = sizeof flags;
    return InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
           (flags & SECURITY_FLAG_SECURE) != 0;
}

// An answer without a status line, which WinINet takes for an HTTP/0.9 "200"
// (its raw headers then hold no status line): garbage from a proxy or another
// service, or a connection closed at once, is no server's answer.
bool answer_without_status_line(HINTERNET request)
{
    DWORD size = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return true;
    std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(raw.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &got, nullptr))
        return false;
    return raw.compare(0, 5, L"HTTP/") != 0;
}

// The answer is a proxy's 407: through a proxy, an HTTPS request's tunnel was
// refused before any secure connection was made.
bool proxy_refused_tunnel(HINTERNET request)
{
    wchar_t text[32] = {};
    DWORD size = sizeof text - sizeof text[0];
    return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, text, &size, nullptr) && parse_status_code(text) == 407;
}

// The download target, open for writing while the body is read.
class DownloadFile
{
public:
    explicit DownloadFile(const std::wstring& path) : m_path(path) {}
    ~DownloadFile() { close(); }

    bool is_open() const { return m_file != INVALID_HANDLE_VALUE; }

    // Removes an older file of that name and creates the new one, not shared.
    // Returns the name of the call that failed, or null.
    const wchar_t* create()
    {
        if (!DeleteFileW(m_path.c_str())) {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return L"DeleteFile";
        }
        m_file = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return is_open() ? nullptr : L"CreateFile";
    }

    bool write(const char* data, DWORD size)
    {
        DWORD written = 0;
        return WriteFile(m_file, data, size, &written, nullptr) != FALSE && written == size;
    }

    void close()
    {
        if (is_open()) {
            CloseHandle(m_file);
            m_file = INVALID_HANDLE_VALUE;
        }
    }

    // Closes and deletes an incomplete file, so that no half download looks whole.
    void discard()
    {
        close();
        DeleteFileW(m_path.c_str());
    }

private:
    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

}  // namespace

void HttpRequest::close_session()
{
    HttpHandle session = m_session.exchange(nullptr);
    if (session)
        InternetCloseHandle(static_cast<HINTERNET>(session));
}

void HttpRequest::perform(bool pre_check)
{
    const long start = clock_ms();
    m_answered_status = 0;

    resolve_target();

    if (pre_check && !is_reachable(m_host, m_port, 2000)) {
        m_status = kHttpUnreachable;
        m_text = L"서버에 연결할 수 없습니다.";
        return;
    }
    if (m_host.size() < 7) {
        m_text = L"Invalid IP address = " + m_host;
        m_status = -1;
        return;
    }
    // WinINet takes a 16-bit port; a larger number must not wrap to another port.
    if (m_port > 65535) {
        m_text = L"Invalid port = " + std::to_wstring(m_port);
        m_status = -1;
        return;
    }
    if (!normalise_method()) {
        m_status = kHttpMethodNotSupported;
        m_text = http_unknown_method_text(m_method);
        return;
    }

    // A fresh record of events for this attempt, shared with the copy.
    m_progress_events = std::make_shared<std::atomic<std::uint32_t>>(0);

    // The attempt runs on a copy that its own thread owns; this record takes the
    // copy's outcome only once the thread has returned.
    struct Attempt
    {
        Attempt(const HttpRequest& r, std::chrono::milliseconds limit) : request(r), bound(limit) {}
        HttpRequest request;
        AttemptBound bound;
    };
    auto attempt = std::make_shared<Attempt>(*this, std::chrono::milliseconds(attempt_bound_ms()));
    Attempt* a = attempt.get();
    if (!a->bound.run(attempt, [a, start] { a->request.transfer(start, &a->bound); })) {
        // Past the bound: stop waiting. Closing the session is a last request to
        // WinINet to give up; the thread keeps the copy for as long as it runs.
        a->request.close_session();
        m_status = kHttpTimedOut;
        m_text = http_send_failed_text(clock_ms() - start, kHttpTimedOut, error_text(kHttpTimedOut));
        return;
    }
    *this = a->request;
}

void HttpRequest::transfer(long start, AttemptBound* bound)
{
    HINTERNET session = InternetOpenW(L"request_url", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) {
        m_status = static_cast<std::int32_t>(GetLastError());
        m_text = L"InternetOpen() failed.";
        return;
    }
    close_session();  // a session left by a copy source or an earlier run
    m_session.store(session);
    set_dword_option(session, INTERNET_OPTION_CONNECT_TIMEOUT, m_connect_timeout_ms);
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(m_progress_events.get());
    if (context)
        InternetSetStatusCallbackW(session, note_status);

    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    auto close_all = [&] {
        close_handle(request);
        close_handle(connection);
        close_session();
    };

    connection = InternetConnectW(session, m_host.c_str(), static_cast<INTERNET_PORT>(m_port), L"", L"",
                                  INTERNET_SERVICE_HTTP, 0, context);
    if (!connection) {
        m_text = L"hInternetConnect() failed.";
        m_status = static_cast<std::int32_t>(GetLastError());
        close_all();
        return;
    }

    request = HttpOpenRequestW(connection, m_method.c_str(), m_path.c_str(), L"HTTP/1.0", nullptr, nullptr,
                               m_https ? kSecureRequestFlags : kRequestFlags, context);
    if (!request) {
        m_status = static_cast<std::int32_t>(GetLastError());
        m_text = L"HttpOpenRequest() failed.";
        close_all();
        return;
    }
    set_dword_option(request, INTERNET_OPTION_CONNECT_TIMEOUT, m_connect_timeout_ms);
    set_dword_option(request, INTERNET_OPTION_SEND_TIMEOUT, m_timeout_ms);
    set_dword_option(request, INTERNET_OPTION_RECEIVE_TIMEOUT, m_timeout_ms);

    if (!m_proxy_user.empty() || !m_proxy_password.empty()) {
        InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(m_proxy_user.c_str()),
                           static_cast<DWORD>(m_proxy_user.size()));
        InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(m_proxy_password.c_str()),
                           static_cast<DWORD>(m_proxy_password.size()));
    }

    if (m_https) {
        DWORD flags = kIgnoreCertificateProblems;
        InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    }

    add_content_type_header();
    for (const auto& header : m_headers) {
        std::wstring line = http_header_line(header);
        HttpAddRequestHeadersW(request, line.c_str(), static_cast<DWORD>(line.size()), HTTP_ADDREQ_FLAG_ADD);
    }

    std::string body = to_utf8(m_body);
    BOOL sent = HttpSendRequestW(request, nullptr, 0, body.empty() ? nullptr : body.data(),
                                 static_cast<DWORD>(body.size()));
    if (m_collect_facts) {
        const DWORD send_error = GetLastError();
        m_proxy_settings = read_connection_proxy(session);
        // A certificate exists only once the secure connection was made: the
        // request went through over a secure channel, or failed on the
        // certificate itself. Asked for after a refused connect, or through a
        // proxy whose tunnel was refused (407) or never opened (the proxy closed
        // or answered garbage), Wine's WinINet dereferences a context that was
        // never made.
        m_secure_channel = m_https && sent && secure_channel_open(request) && !proxy_refused_tunnel(request);
        const bool secure_connection_made =
            m_secure_channel ||
            (is_wininet_certificate_error(static_cast<std::int32_t>(send_error)) && send_error != 12157);
        if (m_https && secure_connection_made)
            m_certificate = read_server_certificate(request);
        SetLastError(send_error);
    }
    if (!sent) {
        std::int32_t code = static_cast<std::int32_t>(GetLastError());
        m_status = code;
        m_text = http_send_failed_text(clock_ms() - start, code, error_text(code));
        close_all();
        return;
    }

    wchar_t status_text[32] = {};  // 64 bytes
    DWORD status_size = sizeof status_text - sizeof status_text[0];
    // A status line without a number (a broken or hostile server) counts as a
    // failed query, not as a status to read a body for.
    std::int32_t status = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, status_text, &status_size, nullptr) &&
        !answer_without_status_line(request))
        status = parse_status_code(status_text);
    if (status == 0) {
        m_status = kHttpStatusQueryFailed;
        m_text = L"HttpQueryInfo(HTTP_QUERY_STATUS_CODE) failed.";
        close_all();
        return;
    }
    m_status = status;
    m_answered_status = status;

    if ((m_status >= 300 && m_status <= 399) || m_status >= 500) {
        close_all();
        return;
    }

    std::unique_ptr<DownloadFile> file;
    if (!m_download_path.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(m_download_path).parent_path(), ignored);
        file = std::make_unique<DownloadFile>(m_download_path);
    }

    m_text.clear();
    m_received.clear();
    // The announced length, when there is one, tells a complete body from one cut
    // short by a dropped connection (which WinINet reads as a normal end).
    wchar_t length_text[32] = {};
    DWORD length_size = sizeof length_text - sizeof length_text[0];
    std::uint64_t announced = 0;
    bool has_length = HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, length_text, &length_size, nullptr) &&
                      parse_content_length(length_text, announced);
    std::string received;
    if (!file) {
        // Only a hint: a hostile value must not allocate.
        size_t expected = has_length ? std::min<std::uint64_t>(announced, kHttpMaxBodyInMemory) : 16384;
        received.reserve(expected + 1);
    }

    char chunk[kReadChunk];
    std::uint64_t written_now = 0;  // bytes of this run's file, gone when it is discarded
    std::uint64_t total_read = 0;
    for (;;) {
        if (bound) {
            // Nobody reads this outcome any more: leave no half download behind.
            if (bound->abandoned()) {
                if (file)
                    file->discard();
                close_all();
                return;
            }
            bound->allow_from_now(std::chrono::milliseconds(std::int64_t{std::max(m_timeout_ms, 0)} + kHttpBoundMarginMs));
        }
        DWORD read = 0;
        BOOL ok = InternetReadFile(request, chunk, kReadChunk, &read);
        if (ok && read == 0 && has_length && total_read < announced)
            ok = FALSE;  // the connection ended before the announced length
        if (!ok) {
            if (file) {
                file->discard();
                m_bytes_written -= written_now;
            }
            m_text = L"InternetReadFile() failed.";
            m_status = -1;
            close_all();
            return;
        }
        if (read == 0)
            break;
        total_read += read;
        if (file) {
            // The file is made with the first chunk: an empty body creates no file.
            if (!file->is_open()) {
                if (const wchar_t* failed = file->create()) {
                    m_text = http_file_error_text(m_download_path, failed);
                    m_status = -1;
                    close_all();
                    return;
                }
            }
            if (!file->write(chunk, read)) {
                file->discard();
                m_bytes_written -= written_now;
                m_text = http_file_error_text(m_download_path, L"WriteFile");
                m_status = -1;
                close_all();
                return;
            }
            m_bytes_written += read;
            written_now += read;
        } else {
            if (received.size() + read > kHttpMaxBodyInMemory) {
                m_text = L"Response body too large.";
                m_status = -1;
                close_all();
                return;
            }
            received.append(chunk, read);
        }
    }

    strip_utf8_bom(received);
    // By way of the ANSI code page, as the rest of the program reads this text:
    // characters that the code page cannot hold do not survive.
    m_text = ansi_to_wide(wide_to_ansi(ansi_to_wide(received, CP_UTF8), CP_ACP), CP_ACP);

    if (file) {
        file->close();
        m_text.clear();
    } else {
        m_received = std::move(received);
    }
    close_all();
    m_elapsed_ms = static_cast<std::int32_t>(clock_ms() - start);
}

bool HttpRequest::is_reachable(const std::wstring& host, std::int32_t port, std::int32_t timeout_ms)
{
    if (port <= 0 || port > 65535)
        return false;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;

    bool reachable = false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        u_long non_blocking = 1;
        ioctlsocket(s, FIONBIO, &non_blocking);

        ADDRINFOW hints = {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        ADDRINFOW* found = nullptr;
        if (GetAddrInfoW(host.c_str(), nullptr, &hints, &found) == 0 && found) {
            sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
            address.sin_port = htons(static_cast<u_short>(port));
            FreeAddrInfoW(found);

            int rc = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
            if (rc == 0) {
                reachable = true;
            } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
                fd_set writable, failed;
                FD_ZERO(&writable);
                FD_ZERO(&failed);
                FD_SET(s, &writable);
                FD_SET(s, &failed);
                timeval limit;
                std::int32_t ms = std::max<std::int32_t>(timeout_ms, 0);
                limit.tv_sec = ms / 1000;
                limit.tv_usec = (ms % 1000) * 1000;
                // A refused connection shows in the failed set and ends the wait early.
                if (select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable)) {
                    int error = 0;
                    int size = sizeof error;
                    reachable = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
                                error == 0;
                }
            }
        }
        closesocket(s);
    }
    WSACleanup();
    return reachable;
}

std::wstring error_text(std::int32_t code)
{
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE wininet = nullptr;
    if (code >= 12000 && code <= 12174) {
        wininet = GetModuleHandleW(L"wininet.dll");
        flags |= FORMAT_MESSAGE_FROM_SYSTEM | (wininet ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    } else {
        flags |= FORMAT_MESSAGE_FROM_SYSTEM;
    }
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(flags, wininet, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                             nullptr);
    std::wstring text;
    if (n && buffer)
        text.assign(buffer, n);
    if (buffer)
        LocalFree(buffer);
    return trim_message(text);
}
