// Parsing checklist.json into the product paths and the groups of check items.
#pragma once

#include <array>
#include <string>
#include <vector>
#include <string_view>

#include "checklist/check_item.h"
#include "checklist/server_kinds.h"

// Start of a path value that stands for the user's documents folder.
inline constexpr const wchar_t* kDocumentsFolderToken = L"__user_documents_folder__";

// Messages shown when the check list is rejected.
inline constexpr const wchar_t* kInvalidJsonMessage = L"checklist.json 파일이 올바른 json 형태가 아닙니다. result = %s";
inline constexpr const wchar_t* kAgentPathEmptyMessage = L"\"product path agent\" is empty.";
inline constexpr const wchar_t* kViewerPathEmptyMessage = L"\"product path viewer\" is empty.";
inline constexpr const wchar_t* kAgentLogPathEmptyMessage = L"\"agent log path\" is empty.";

enum class CheckListError
{
    none,
    invalid_json,   // also: valid JSON whose root is not an object
    missing_path,   // a required path is missing or empty
};

struct CheckListParseResult
{
    bool ok = false;
    CheckListError error = CheckListError::none;
    std::wstring message;                      // the text to show when !ok
    std::array<std::wstring, 3> product_paths; // agent, agent web, viewer
    std::array<std::wstring, 2> log_paths;     // agent log, viewer log
    // Group 0 holds the account item; then one group per kind with items. The
    // items' check functions are left empty for the caller to fill.
    CheckGroups groups;
    // Beyond the described members: "tls issuers", the names of the issuers of
    // the product's web server certificates. Empty: the member is absent, and a
    // certificate is not judged by its issuer.
    std::vector<std::wstring> tls_issuers;
    // "redact": true asks that saved archives be redacted (a site's policy that
    // travels with its check list). Anything else, or no member: not asked.
    bool redact = false;
};

// Whether the check list's bytes ask for redaction ("redact": true), without
// parsing the rest of it. False for text that is not a JSON object.
bool check_list_asks_redaction(std::string_view utf8);

// A value that begins with the token has every occurrence of it replaced by
// `documents_folder`; any other value is returned unchanged.
std::wstring expand_documents_token(const std::wstring& value, const std::wstring& documents_folder);

// `utf8` is the response body as received; `shown_text` is the response text as
// the message shows it after "result = ".
CheckListParseResult parse_check_list(std::string_view utf8, const std::wstring& shown_text,
                                      const ServerKinds& kinds, const std::wstring& documents_folder);

// Title of a group's step line and of its items: display name + " 서버".
std::wstring server_item_title(const std::wstring& display_name);
