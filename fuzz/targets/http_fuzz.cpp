// What a web server or a user's --web-host value hands the HTTP client: status
// lines, Content-Length values, bodies with marks, hosts, paths and URLs.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include "check/http/http_request.h"

int fuzz_http(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const auto port = static_cast<std::int32_t>(in.u64());
    const std::wstring host = in.wide_part();
    const std::wstring path = in.wide_part();
    const std::wstring url = in.wide_part();
    const std::wstring method = in.wide_part();
    const std::wstring header = in.wide_part();
    std::string body(in.rest());

    const std::wstring wide_body = from_utf8(body);
    const std::int32_t status = parse_status_code(wide_body);
    FUZZ_REQUIRE(status == 0 || (status >= 100 && status <= 999));
    std::uint64_t length = 0;
    if (parse_content_length(wide_body, length))
        FUZZ_REQUIRE(length < 1000000000000000000ull);
    trim_message(wide_body);
    http_header_line(header);
    http_unknown_method_text(method);
    http_send_failed_text(port, port, header);
    http_file_error_text(path, L"CreateFile");
    const std::size_t before = body.size();
    strip_utf8_bom(body);
    FUZZ_REQUIRE(body.size() == before || body.size() + 3 == before);

    HttpRequest request(host, port, path, method, (flags & 1) != 0, {header}, wide_body);
    if (flags & 2)
        request.m_url = url;
    request.resolve_target();
    request.normalise_method();
    request.add_content_type_header();
    request.describe();
    HttpRequest copy(request);
    copy.reset();
    return 0;
}
