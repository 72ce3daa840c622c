#include "steps/check_list_source.h"

#include "checklist/check_list.h"
#include "common/text_convert.h"
#include "steps/redaction_request.h"

CheckListSource check_list_from_download(const HttpRequest& request)
{
    CheckListSource s;
    s.source = request.m_url;
    s.status = request.m_status;
    s.ok = request.m_status == 200;
    if (s.ok) {
        s.body_utf8 = request.m_received;
        s.shown_text = request.m_text;
        if (check_list_asks_redaction(s.body_utf8))
            request_redaction(RedactionAsker::check_list);
    }
    return s;
}

CheckListSource check_list_from_file(const std::wstring& full_path, std::string body_utf8)
{
    CheckListSource s;
    s.source = full_path;
    s.ok = true;
    s.status = 200;
    s.shown_text = from_utf8(body_utf8);
    s.body_utf8 = std::move(body_utf8);
    if (check_list_asks_redaction(s.body_utf8))
        request_redaction(RedactionAsker::check_list);
    return s;
}
