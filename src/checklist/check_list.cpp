#include "checklist/check_list.h"

#include <vector>

#include "checklist/json_document.h"
#include "checklist/server_entry.h"

std::wstring expand_documents_token(const std::wstring& value, const std::wstring& documents_folder)
{
    const std::wstring token = kDocumentsFolderToken;
    if (!value.starts_with(token))
        return value;
    std::wstring result;
    size_t pos = 0;
    for (;;) {
        const size_t hit = value.find(token, pos);
        if (hit == std::wstring::npos)
            break;
        result.append(value, pos, hit - pos);
        result.append(documents_folder);
        pos = hit + token.size();
    }
    result.append(value, pos, std::wstring::npos);
    return result;
}

std::wstring server_item_title(const std::wstring& display_name)
{
    return display_name + L" 서버";
}

CheckListParseResult parse_check_list(std::string_view utf8, const std::wstring& shown_text, const ServerKinds& kinds,
                                      const std::wstring& documents_folder)
{
    CheckListParseResult r;

    CheckGroup account;
    CCheckItem admin;
    admin.title = kAccountItemTitle;
    admin.port = 0;
    admin.kind_index = -1;
    admin.socket_test = true;
    account.push_back(std::move(admin));
    r.groups.push_back(std::move(account));

    JsonDocument doc;
    // A root that is valid JSON but not an object carries no check list either.
    if (!doc.load(utf8) || !doc.is_object()) {
        r.error = CheckListError::invalid_json;
        std::wstring message = kInvalidJsonMessage;
        message.replace(message.find(L"%s"), 2, shown_text);
        r.message = std::move(message);
        return r;
    }

    r.product_paths[0] = expand_documents_token(doc.get_string(L"product path agent"), documents_folder);
    r.product_paths[1] = expand_documents_token(doc.get_string(L"product path agent web"), documents_folder);
    r.product_paths[2] = expand_documents_token(doc.get_string(L"product path viewer"), documents_folder);
    r.log_paths[0] = expand_documents_token(doc.get_string(L"agent log path"), documents_folder);
    r.log_paths[1] = expand_documents_token(doc.get_string(L"viewer log path"), documents_folder);

    const wchar_t* missing = nullptr;
    if (r.product_paths[0].empty())
        missing = kAgentPathEmptyMessage;
    else if (r.product_paths[2].empty())
        missing = kViewerPathEmptyMessage;
    else if (r.log_paths[0].empty())
        missing = kAgentLogPathEmptyMessage;
    if (missing) {
        r.error = CheckListError::missing_path;
        r.message = missing;
        return r;
    }

    int kind_index = 0;
    for (const auto& [key, display_name] : kinds) {
        std::vector<std::wstring> entries;
        if (doc.get_string_array(key, entries)) {
            CheckGroup group;
            for (const std::wstring& entry : entries) {
                ServerEntry server;
                if (!parse_server_entry(entry, server))
                    continue;
                CCheckItem item;
                item.title = server_item_title(display_name);
                item.host = std::move(server.host);
                item.port = server.port;
                item.kind_index = kind_index;
                item.socket_test = is_socket_kind(key);
                group.push_back(std::move(item));
            }
            if (!group.empty())
                r.groups.push_back(std::move(group));
        }
        ++kind_index;
    }
    doc.get_string_array(L"tls issuers", r.tls_issuers);
    r.redact = doc.get_true(L"redact");
    r.ok = true;
    return r;
}

bool check_list_asks_redaction(std::string_view utf8)
{
    JsonDocument doc;
    return doc.load(utf8) && doc.is_object() && doc.get_true(L"redact");
}
