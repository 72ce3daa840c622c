#include "support/win/test_server.h"

#include "support/win/environment.h"

#include "check/http/http_request.h"
#include "common/text_convert.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace test_support {

int test_server_port(const wchar_t* variable)
{
    return _wtoi(env(variable).c_str());
}

int test_server_port(const char* variable)
{
    return test_server_port(std::wstring(variable, variable + std::strlen(variable)).c_str());
}

int http_port()
{
    return test_server_port(L"VANTU_TS_HTTP_PORT");
}

std::string server_call(const std::wstring& path, const std::wstring& method)
{
    HttpRequest request(L"127.0.0.1", http_port(), path, method, false);
    request.perform(false);
    return to_utf8(request.m_text);
}

int checklist_requests()
{
    const std::string text = server_call(L"/__control/requests");
    int n = 0;
    for (size_t at = text.find("/download/checklist.json"); at != std::string::npos;
         at = text.find("/download/checklist.json", at + 1))
        ++n;
    return n;
}

std::wstring served_checklist_path()
{
    const std::wstring root = wine_path(env(L"VANTU_TS_ROOT"));
    CreateDirectoryW((root + L"\\download").c_str(), nullptr);
    return root + L"\\download\\checklist.json";
}

void serve_checklist(const std::string& body)
{
    std::ofstream out(std::filesystem::path(served_checklist_path()), std::ios::binary | std::ios::trunc);
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
}

std::string json_path(const std::wstring& path)
{
    std::string out;
    for (char c : to_utf8(path)) {
        if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

} // namespace test_support
