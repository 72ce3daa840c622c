#include "pages/list_page_plan.h"

#include "widgets/list_model.h"

const wchar_t kDefaultListFontName[] = L"맑은 고딕";

const ListPagePlan& log_page_plan()
{
    static const ListPagePlan plan = [] {
        ListPagePlan p;
        p.template_id = 131;
        p.columns = L"구분,56;진단 대상,200;포트,45;진단 시각,65;시간,70;결과,60;비고,70";
        p.font_section = L"list log";
        p.width_section = L"CDiagLogDlg list log";
        // Target reads from the left; port and duration are figures.
        p.alignments = {{-1, kAlignCentre}, {1, kAlignLeft}, {2, kAlignRight}, {4, kAlignRight}};
        p.swallows_enter_escape = true;
        return p;
    }();
    return plan;
}

const ListPagePlan& result_page_plan()
{
    static const ListPagePlan plan = [] {
        ListPagePlan p;
        p.template_id = 132;
        p.columns = L"결과,56;구분,100;내용,400";
        p.font_section = L"list result";
        p.width_section = L"CDiagResultDlg list result";
        p.alignments = {{-1, kAlignCentre}, {2, kAlignLeft}};
        p.saves_widths = true;
        return p;
    }();
    return plan;
}

const ListPagePlan& error_code_page_plan()
{
    static const ListPagePlan plan = [] {
        ListPagePlan p;
        p.template_id = 159;
        p.columns = L"에러 코드,80;설명,400";
        p.font_section = L"list log";
        p.width_section = L"CDiagErrorCodeDlg list log";
        p.alignments = {{0, kAlignCentre}};
        return p;
    }();
    return plan;
}

std::vector<int> column_alignments(const ListPagePlan& plan, int column_count)
{
    std::vector<int> result(column_count > 0 ? static_cast<size_t>(column_count) : 0, kAlignLeft);
    for (const auto& [column, alignment] : plan.alignments) {
        if (column == -1) {
            for (int& a : result)
                a = alignment;
        } else if (column >= 0 && column < column_count) {
            result[static_cast<size_t>(column)] = alignment;
        }
    }
    return result;
}

std::wstring scale_column_widths(const std::wstring& columns, int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    std::wstring out;
    for (const ListColumn& column : parse_list_columns(columns)) {
        long long scaled = (static_cast<long long>(column.width) * dpi + 48) / 96;
        if (!out.empty())
            out += L';';
        out += column.title + L',' + std::to_wstring(scaled);
    }
    return out;
}

int list_font_size(int stored)
{
    return stored > 0 ? stored : kDefaultListFontSize;
}

std::wstring list_font_name(const std::wstring& stored)
{
    return stored.size() > 31 ? stored.substr(0, 31) : stored;
}

bool error_table_keeps(const std::wstring& trimmed_text)
{
    return !trimmed_text.empty() && trimmed_text != L"unknown error";
}
