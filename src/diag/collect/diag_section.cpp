#include "diag/collect/diag_section.h"

#include "diag/collect/collect_text.h"

std::wstring format_section(const std::wstring& title, const std::wstring& note, const std::wstring& body)
{
    std::wstring block = L"[" + title + L"]\n";
    if (!note.empty())
        block += note + L"\n";
    block += diag_text::trim(diag_text::replace_all(body, L"\r\n", L"\n"));
    block += L"\n\n";
    return block;
}
