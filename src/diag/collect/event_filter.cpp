#include "diag/collect/event_filter.h"

#include "diag/collect/collect_text.h"
#include "diag/collect/diag_section.h"

#include <vector>

std::wstring filter_events(const std::wstring& events, const std::deque<std::wstring>& keywords)
{
    std::vector<std::wstring> lowered_keywords;
    for (const std::wstring& keyword : keywords)
        if (!keyword.empty())
            lowered_keywords.push_back(diag_text::lower(keyword));

    std::wstring result;
    size_t begin = events.find(L"Event[");
    while (begin != std::wstring::npos) {
        size_t next = events.find(L"\nEvent[", begin);
        size_t end = next == std::wstring::npos ? events.size() : next;
        std::wstring block = events.substr(begin, end - begin);
        std::wstring lowered = diag_text::lower(block);
        for (const std::wstring& keyword : lowered_keywords) {
            if (lowered.find(keyword) != std::wstring::npos) {
                result += block;
                break;
            }
        }
        begin = next == std::wstring::npos ? std::wstring::npos : next + 1;
    }
    return result;
}

std::wstring join_process_names(const std::deque<std::wstring>& product_processes)
{
    std::wstring joined;
    for (const std::wstring& name : product_processes) {
        if (!joined.empty())
            joined += L", ";
        joined += name;
    }
    return joined;
}

std::wstring build_eventlog_text(const std::wstring& product_name,
                                 const std::deque<std::wstring>& product_processes,
                                 const DiagTexts& texts)
{
    std::wstring related = filter_events(texts.application_events_text, product_processes)
                         + filter_events(texts.system_events_text, product_processes)
                         + filter_events(texts.scm_events_text, product_processes);
    if (related.empty())
        related = L"관련 이벤트가 없습니다.";

    std::wstring out = format_section(product_name + L" 관련 이벤트",
                                      L"  대상 : " + join_process_names(product_processes), related);
    out += format_section(L"Application - 크래시 / 응답없음 / .NET 예외", L"  최근 90일", texts.application_events_text);
    out += format_section(L"System - 심각 / 오류", L"  최근 90일", texts.system_events_text);
    out += format_section(L"System - Service Control Manager", L"  최근 90일, 경고 포함", texts.scm_events_text);
    return out;
}
