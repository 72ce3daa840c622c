// The test server as a Windows test reaches it: its ports from the VANTU_TS_*
// variables (tests/support/with-testserver sets them), its control endpoints
// through HttpRequest, and the check list it serves from its root folder.
#pragma once

#include <string>

namespace test_support {

// The port in the given VANTU_TS_* variable; 0 when it is missing.
int test_server_port(const wchar_t* variable);
int test_server_port(const char* variable);
// VANTU_TS_HTTP_PORT: the plain HTTP server with the control endpoints.
int http_port();

// One request to the HTTP server on 127.0.0.1 (for example "/__control/reset",
// "POST"); the answer's text as UTF-8.
std::string server_call(const std::wstring& path, const std::wstring& method = L"GET");
// How often /download/checklist.json was asked for since the last reset.
int checklist_requests();

// Where the server's download/checklist.json lies (the folder is made).
std::wstring served_checklist_path();
// Writes `body` as the served check list.
void serve_checklist(const std::string& body);
// A Windows path as the contents of a JSON string (backslashes doubled).
std::string json_path(const std::wstring& path);

} // namespace test_support
