// The request record without the network: how host, port, scheme, path and URL
// are worked out, the method check, header lines, describe and reset.
#include "check/http/http_request.h"

#include <gtest/gtest.h>

TEST(HttpRequestTarget, HttpPrefixWithPortZeroUsesPlainHttpOnPort80)
{
    HttpRequest request(L"http://www.vantu.co.kr", 0, L"download/checklist.json");
    request.resolve_target();
    EXPECT_FALSE(request.m_https);
    EXPECT_EQ(request.m_host, L"www.vantu.co.kr");
    EXPECT_EQ(request.m_port, 80);
    EXPECT_EQ(request.m_path, L"/download/checklist.json");
    EXPECT_EQ(request.m_url, L"http://www.vantu.co.kr:80/download/checklist.json");

    HttpRequest bare(L"http://10.0.0.15", 0, L"");
    bare.resolve_target();
    EXPECT_EQ(bare.m_url, L"http://10.0.0.15:80/");
}

TEST(HttpRequestTarget, PortDecidesTheSchemeWhateverTheFlagHeld)
{
    HttpRequest secure(L"10.0.0.15", 443, L"/", L"GET", false);
    secure.resolve_target();
    EXPECT_TRUE(secure.m_https);
    EXPECT_EQ(secure.m_url, L"https://10.0.0.15:443/");

    HttpRequest plain(L"10.0.0.15", 80, L"/", L"GET", true);
    plain.resolve_target();
    EXPECT_FALSE(plain.m_https);
    EXPECT_EQ(plain.m_url, L"http://10.0.0.15:80/");

    // Port 80 wins over an "https://" prefix, and only "http://" is removed then.
    HttpRequest mixed(L"https://10.0.0.15", 80, L"/");
    mixed.resolve_target();
    EXPECT_FALSE(mixed.m_https);
    EXPECT_EQ(mixed.m_host, L"https://10.0.0.15");
}

TEST(HttpRequestTarget, OtherPortsKeepTheFlagAndPrefixesAreRemovedEverywhere)
{
    HttpRequest keep(L"10.0.0.15", 8443, L"api", L"GET", true);
    keep.resolve_target();
    EXPECT_EQ(keep.m_url, L"https://10.0.0.15:8443/api");

    HttpRequest no_tls(L"10.0.0.15", 0, L"x", L"GET", false);
    no_tls.resolve_target();
    EXPECT_EQ(no_tls.m_url, L"http://10.0.0.15:80/x");

    HttpRequest doubled(L"https://https://host.example", 0, L"");
    doubled.resolve_target();
    EXPECT_TRUE(doubled.m_https);
    EXPECT_EQ(doubled.m_host, L"host.example");
    EXPECT_EQ(doubled.m_port, 443);
}

TEST(HttpRequestTarget, FullUrlOverridesHostPortPathAndScheme)
{
    HttpRequest request(L"ignored.example", 1234, L"/ignored", L"GET", false);
    request.m_url = L"https://api.example.com:9443/v1/test?x=1";
    request.resolve_target();
    EXPECT_TRUE(request.m_https);
    EXPECT_EQ(request.m_host, L"api.example.com");
    EXPECT_EQ(request.m_port, 9443);
    EXPECT_EQ(request.m_path, L"/v1/test?x=1");
    EXPECT_EQ(request.m_url, L"https://api.example.com:9443/v1/test?x=1");

    // Without a scheme the flag's scheme is put in front; without a port the
    // scheme's default applies.
    HttpRequest bare(L"", 0, L"", L"GET", false);
    bare.m_url = L"web.example.com";
    bare.resolve_target();
    EXPECT_FALSE(bare.m_https);
    EXPECT_EQ(bare.m_url, L"http://web.example.com:80/");
}

TEST(HttpRequestMethod, CaseIsIgnoredAndOnlyFourMethodsPass)
{
    HttpRequest request;
    for (const wchar_t* method : {L"post", L"Get", L"PUT", L"delete", L""}) {
        request.m_method = method;
        EXPECT_TRUE(request.normalise_method()) << method;
    }
    request.m_method = L"post";
    request.normalise_method();
    EXPECT_EQ(request.m_method, L"POST");
    request.m_method = L"";
    request.normalise_method();
    EXPECT_EQ(request.m_method, L"GET");

    request.m_method = L"patch";
    EXPECT_FALSE(request.normalise_method());
    EXPECT_EQ(http_unknown_method_text(request.m_method), L"Unknown HTTP Request method(\"PATCH\")");
}

TEST(HttpRequestRecord, DefaultsHeaderLinesDescribeAndReset)
{
    HttpRequest fresh;
    EXPECT_EQ(fresh.m_status, -1);
    EXPECT_EQ(fresh.m_method, L"GET");
    EXPECT_TRUE(fresh.m_https);
    EXPECT_EQ(fresh.m_connect_timeout_ms, 5000);
    EXPECT_EQ(fresh.m_timeout_ms, 30000);
    EXPECT_EQ(fresh.m_port, 0);
    EXPECT_EQ(fresh.m_session.load(), nullptr);
    EXPECT_FALSE(fresh.is_success());
    EXPECT_FALSE(fresh.is_server_answer());

    HttpRequest request(L"10.1.2.3", 8080, L"/api", L"POST", false, {L"X-A: 1", L"X-B: 2\r\n"}, L"{\"k\":1}",
                        L"C:\\out\\file.json");
    ASSERT_EQ(request.m_headers.size(), 2u);
    EXPECT_EQ(request.m_headers[0], L"X-A: 1\r\n");
    EXPECT_EQ(request.m_headers[1], L"X-B: 2\r\n");
    EXPECT_EQ(request.describe(), L"ip = 10.1.2.3, port = 8080, sub_url = /api, is_https = 0, "
                                  L"additional_header = X-A: 1\r\nX-B: 2\r\n, body = {\"k\":1}");

    // The content-type line is added once however often the record is sent.
    request.add_content_type_header();
    request.add_content_type_header();
    EXPECT_EQ(request.m_headers.size(), 3u);
    EXPECT_EQ(request.m_headers.back(), L"Content-Type: application/json; charset=utf-8\r\n");

    request.m_status = 404;
    request.m_url = L"http://10.1.2.3:8080/api";
    request.m_text = L"not found";
    request.m_elapsed_ms = 12;
    request.m_bytes_written = 99;
    request.m_connect_timeout_ms = 1000;
    request.reset();
    EXPECT_EQ(request.m_status, -1);
    EXPECT_TRUE(request.m_url.empty());
    EXPECT_TRUE(request.m_body.empty());
    EXPECT_TRUE(request.m_text.empty());
    EXPECT_TRUE(request.m_download_path.empty());
    EXPECT_EQ(request.m_elapsed_ms, 0);
    EXPECT_EQ(request.m_bytes_written, 0u);
    EXPECT_EQ(request.m_host, L"10.1.2.3");
    EXPECT_EQ(request.m_port, 8080);
    EXPECT_EQ(request.m_method, L"POST");
    EXPECT_EQ(request.m_headers.size(), 3u);
    EXPECT_EQ(request.m_connect_timeout_ms, 1000);
}

TEST(HttpRequestRecord, StatusZeroIsNeitherSuccessNorAnAnswer)
{
    HttpRequest request;
    request.m_status = kHttpStatusQueryFailed;
    EXPECT_FALSE(request.is_success());
    EXPECT_FALSE(request.is_server_answer());
    request.m_status = 404;
    EXPECT_FALSE(request.is_success());
    EXPECT_TRUE(request.is_server_answer());
    request.m_status = 200;
    EXPECT_TRUE(request.is_success());
    request.m_status = 12029;
    EXPECT_FALSE(request.is_server_answer());
}

TEST(HttpRequestTexts, BomFailureTextsAndTrimming)
{
    std::string with_bom = "\xEF\xBB\xBF{}";
    strip_utf8_bom(with_bom);
    EXPECT_EQ(with_bom, "{}");
    std::string short_body = "\xEF\xBB";
    strip_utf8_bom(short_body);
    EXPECT_EQ(short_body, "\xEF\xBB");
    std::string bom_only = "\xEF\xBB\xBF";
    strip_utf8_bom(bom_only);
    EXPECT_EQ(bom_only, "");

    EXPECT_EQ(http_send_failed_text(2015, 12029, L"Cannot connect"),
              L"HttpSendRequest failed. elapsed = 2015ms. error code = 12029(Cannot connect)");
    EXPECT_EQ(http_file_error_text(L"C:\\x\\a.json", L"CreateFile"), L"error=C:\\x\\a.json\n\nfail to CreateFile().");
    EXPECT_EQ(trim_message(L"  \r\nThe operation timed out\r\n "), L"The operation timed out");
    EXPECT_EQ(trim_message(L" \r\n"), L"");
}

TEST(HttpRequestTexts, StatusCodesAreThreeDigitsOrNothing)
{
    EXPECT_EQ(parse_status_code(L"200"), 200);
    EXPECT_EQ(parse_status_code(L" 404 "), 404);
    EXPECT_EQ(parse_status_code(L"999"), 999);
    for (const wchar_t* bad : {L"", L"abc", L"20", L"2000", L"099", L"-20", L"2x0", L"4 4"})
        EXPECT_EQ(parse_status_code(bad), 0) << bad;
}

TEST(HttpRequestTexts, ContentLengthIsDigitsOnly)
{
    std::uint64_t length = 7;
    EXPECT_TRUE(parse_content_length(L"0", length));
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(parse_content_length(L" 99999999999 ", length));
    EXPECT_EQ(length, 99999999999ull);
    length = 7;
    for (const wchar_t* bad : {L"", L"banana", L"-1", L"12 34", L"1e5", L"9999999999999999999"})
        EXPECT_FALSE(parse_content_length(bad, length)) << bad;
    EXPECT_EQ(length, 7u);
}

TEST(HttpRequestRecord, CopyKeepsSettingsButNeverTheSession)
{
    HttpRequest a(L"10.1.2.3", 81, L"/p");
    a.m_session.store(reinterpret_cast<HttpHandle>(0x1234));
    a.m_text = L"t";
    HttpRequest b(a);
    EXPECT_EQ(b.m_session.load(), nullptr);
    EXPECT_EQ(b.m_host, L"10.1.2.3");
    EXPECT_EQ(b.m_text, L"t");
    a.m_session.store(nullptr);
}
