// The steps both front ends take, in the same way: a check list arrives
// (downloaded, or read from a file by the console), its bytes go to the parser
// as received, and what the messages quote goes beside them.
#pragma once

#include "check/http/http_request.h"

#include <cstdint>
#include <string>

struct CheckListSource
{
    bool ok = false;          // there is a check list to parse
    std::string body_utf8;    // the bytes as received: what the parser reads
    std::wstring shown_text;  // what a message about a bad list quotes
    std::wstring source;      // the URL or the file it came from
    std::int32_t status = -1; // of a download: 200, an HTTP status or a failure code
};

// A finished download (download_checklist): the body as received, never the
// text that went through the ANSI code page.
CheckListSource check_list_from_download(const HttpRequest& request);

// A check list read from a file (its bytes already made UTF-8).
CheckListSource check_list_from_file(const std::wstring& full_path, std::string body_utf8);
