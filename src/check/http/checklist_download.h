// Downloading checklist.json from the product's web server: port 80, and when the
// answer is not 200 once more on the other of 80 and 443.
#pragma once

#include "check/http/http_request.h"

#include <string>

inline constexpr const wchar_t* kChecklistDownloadPath = L"download/checklist.json";

// Fills the request and performs it (with the reachability pre-check) once or
// twice; the outcome is in request.m_status and request.m_text. Windows only.
inline void download_checklist(HttpRequest& request, const std::wstring& web_host, int web_port)
{
    request.m_host = web_host;
    request.m_port = web_port;
    request.m_path = kChecklistDownloadPath;
    request.m_connect_timeout_ms = 5000;
    // Ports 80 and 443 choose the scheme themselves; any other port is plain
    // HTTP unless the host names https://.
    request.m_https = web_port == 443 || web_host.rfind(L"https://", 0) == 0;
    request.perform(true);
    if (request.m_status != 200) {
        request.reset_byte_counters();
        if (request.m_port == 80)
            request.m_port = 443;
        else if (request.m_port == 443)
            request.m_port = 80;
        request.perform(true);
    }
}
