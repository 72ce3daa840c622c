#include "diag/page/report_page.h"

#include <algorithm>
#include <cstdio>

#include "common/size_format.h"
#include "common/text_convert.h"
#include "diag/page/html_writer.h"

namespace {

// Small, print-friendly, readable at phone width: the table's rows become
// blocks below 700 pixels.
const char kStyle[] = R"(
body{font-family:"Malgun Gothic","맑은 고딕","Apple SD Gothic Neo","Noto Sans KR",sans-serif;margin:0;color:#222;background:#f4f5f7;line-height:1.45}
main{max-width:1100px;margin:0 auto;padding:16px}
header{background:#1f3b5a;color:#fff;padding:16px}
header h1{margin:0 0 8px;font-size:1.4em}
header dl{display:grid;grid-template-columns:max-content 1fr;gap:2px 12px;margin:0;font-size:.92em}
header dt{opacity:.75}header dd{margin:0}
section{background:#fff;border-radius:6px;padding:12px 16px;margin:12px 0;box-shadow:0 1px 2px rgba(0,0,0,.08)}
h2{font-size:1.1em;margin:0 0 10px}
.counts{display:flex;flex-wrap:wrap;gap:8px 20px;align-items:center}
.count{font-size:1.05em}.count b{font-size:1.5em;margin-right:4px}
table{border-collapse:collapse;width:100%;font-size:.92em}
th,td{text-align:left;padding:6px 8px;border-bottom:1px solid #e3e5e8;vertical-align:top}
th{background:#eef0f3;font-weight:600}
td.verdict{font-weight:700;white-space:nowrap}
table.items td:nth-child(1),table.items td:nth-child(3),table.items td:nth-child(5){white-space:nowrap}
.cause{margin-top:4px;padding:4px 6px;background:#fff4e5;border-left:3px solid #e08a00}
.caution{margin-top:4px;padding:4px 6px;background:#eef4ff;border-left:3px solid #3a6fd8}
.hint{color:#555;font-size:.92em}
pre{white-space:pre-wrap;word-break:break-word;font-family:Consolas,"D2Coding",monospace;font-size:.85em;background:#f7f7f9;padding:8px;margin:6px 0;max-height:40em;overflow:auto}
details summary{cursor:pointer;font-weight:600;margin:4px 0}
.num{text-align:right;white-space:nowrap}
.skipped td{color:#B22222}
footer{color:#777;font-size:.85em;text-align:center;padding:12px}
@media (max-width:700px){
 table.items thead{display:none}
 table.items tr{display:block;border-bottom:2px solid #ccd}
 table.items td{display:block;border:0;padding:2px 4px}
 table.items td[data-label]::before{content:attr(data-label) " : ";color:#777;font-weight:400}
 table.items td:empty{display:none}
 header dl{grid-template-columns:1fr}
}
@media print{body{background:#fff}section{box-shadow:none;border:1px solid #ccc;break-inside:avoid-page}header{background:#fff;color:#000;border-bottom:2px solid #000}pre{max-height:none}}
)";

std::string format(const char* fmt, double a, double b = 0, double c = 0, double d = 0)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, fmt, a, b, c, d);
    return buffer;
}


// The counts drawn as one bar: passed, unstable, failed, and the rest.
std::string counts_bar(int passed, int unstable, int failed, int other)
{
    const int total = std::max(1, passed + unstable + failed + other);
    const double width = 600.0;
    std::string svg = "<svg viewBox=\"0 0 600 28\" width=\"100%\" height=\"28\" role=\"img\" "
                      "aria-label=\"verdicts\" preserveAspectRatio=\"none\">";
    double x = 0;
    const struct
    {
        int count;
        const char* colour;
    } parts[] = {{passed, "#007F00"}, {unstable, "#FF7F50"}, {failed, "#B22222"}, {other, "#A0A0A0"}};
    for (const auto& p : parts) {
        if (p.count == 0)
            continue;
        const double w = width * p.count / total;
        svg += format("<rect x=\"%.1f\" y=\"0\" width=\"%.1f\" height=\"28\" fill=\"", x, w);
        svg += p.colour;
        svg += "\"/>";
        x += w;
    }
    return svg + "</svg>";
}

// One bar per attempt, its height by its time against the item's longest;
// failed attempts red and crossed.
std::string attempts_chart(const std::vector<ReportPageAttempt>& attempts)
{
    if (attempts.empty())
        return std::string();
    std::int32_t longest = 1;
    for (const ReportPageAttempt& a : attempts)
        longest = std::max(longest, a.ms);
    const int bar = 14, gap = 4, height = 24;
    const int width = static_cast<int>(attempts.size()) * (bar + gap);
    std::string svg = format("<svg width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">", width, height, width,
                             height);
    for (std::size_t i = 0; i < attempts.size(); ++i) {
        const ReportPageAttempt& a = attempts[i];
        const double h = std::max(2.0, (height - 2.0) * a.ms / longest);
        const double x = static_cast<double>(i) * (bar + gap);
        svg += format("<rect x=\"%.0f\" y=\"%.1f\" width=\"%.0f\" height=\"%.1f\" fill=\"", x, height - h, bar, h);
        svg += a.passed ? "#007F00" : "#B22222";
        svg += format("\"><title>%.0f: %.0f ms", static_cast<double>(i + 1), a.ms);
        svg += a.passed ? "</title></rect>" : " (실패)</title></rect>";
        if (!a.passed)
            svg += format("<path d=\"M%.0f %.0f l%.0f %.0f\" stroke=\"#fff\" stroke-width=\"2\"/>", x + 2, height - 4,
                          bar - 4, -8);
    }
    return svg + "</svg>";
}

std::wstring size_text(std::uint64_t bytes)
{
    return format_size(bytes);
}

int line_count(const std::wstring& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), L'\n')) + (text.empty() ? 0 : 1);
}

void write_header(HtmlWriter& w, const ReportPageInput& in)
{
    w.open("header").element("h1", in.product_name + L" Check Tool 진단 결과");
    w.open("dl");
    const std::pair<const wchar_t*, std::wstring> facts[] = {
        {L"제품", in.product_name},
        {L"도구 버전", in.tool_version},
        {L"Windows", in.windows_version},
        {L"진단 시각", in.run_time},
        {L"저장 시각", in.save_time},
        {L"관리자 권한", in.administrator ? L"예" : L"아니오"},
    };
    for (const auto& [label, value] : facts)
        w.element("dt", label).element("dd", value.empty() ? L"-" : value);
    w.close("dl").close("header");
}

void write_summary(HtmlWriter& w, const ReportPageInput& in)
{
    int passed = 0, unstable = 0, failed = 0, other = 0;
    for (const ReportPageItem& item : in.items) {
        if (item.kind == ItemVerdict::passed)
            ++passed;
        else if (item.kind == ItemVerdict::unstable)
            ++unstable;
        else if (item.kind == ItemVerdict::failed || item.kind == ItemVerdict::stopped)
            ++failed;
        else
            ++other;
    }
    w.open("section", {{"id", L"summary"}}).element("h2", L"한눈에 보기");
    w.raw(counts_bar(passed, unstable, failed, other));
    w.open("div", {{"class", L"counts"}});
    const struct
    {
        const wchar_t* label;
        int count;
        const wchar_t* colour;
    } counts[] = {{L"성공", passed, L"#007F00"}, {L"불안정", unstable, L"#FF7F50"}, {L"실패", failed, L"#B22222"},
                  {L"진단 안 됨", other, L"#808080"}};
    for (const auto& c : counts) {
        w.open("span", {{"class", L"count"}, {"style", std::wstring(L"color:") + c.colour}});
        w.element("b", std::to_wstring(c.count)).text(c.label).close("span");
    }
    w.close("div").close("section");
}

void write_items(HtmlWriter& w, const ReportPageInput& in)
{
    w.open("section", {{"id", L"items"}}).element("h2", L"진단 항목");
    w.open("table", {{"class", L"items"}}).open("thead").open("tr");
    for (const wchar_t* title : {L"구분", L"진단 대상", L"포트", L"결과", L"시도", L"내용"})
        w.element("th", title);
    w.close("tr").close("thead").open("tbody");
    for (const ReportPageItem& item : in.items) {
        w.open("tr");
        w.element("td", item.category, {{"data-label", L"구분"}});
        w.element("td", item.target, {{"data-label", L"진단 대상"}});
        w.element("td", item.port, {{"data-label", L"포트"}});
        w.element("td", item.verdict.empty() ? L"-" : item.verdict,
                  {{"class", L"verdict"}, {"data-label", L"결과"},
                   {"style", L"color:" + from_utf8(verdict_colours(item.kind).page)}});
        w.open("td", {{"data-label", L"시도"}}).raw(attempts_chart(item.attempts));
        if (!item.duration.empty())
            w.text(L" " + item.duration);
        w.close("td");
        w.open("td", {{"data-label", L"내용"}});
        if (item.code != 0) {
            w.open("div").text(L"오류 " + std::to_wstring(item.code) + L" " + item.result_text).close("div");
            if (!item.hint.empty())
                w.element("div", item.hint, {{"class", L"hint"}});
        }
        if (!item.cause.empty())
            w.element("div", L"원인: " + item.cause, {{"class", L"cause"}});
        if (!item.caution.empty())
            w.element("div", L"주의: " + item.caution, {{"class", L"caution"}});
        if (!item.diagnosis.empty()) {
            w.open("details").element("summary", L"진단 상세").element("pre", item.diagnosis).close("details");
        }
        w.close("td").close("tr");
    }
    w.close("tbody").close("table").close("section");
}

void write_findings(HtmlWriter& w, const ReportPageInput& in)
{
    w.open("section", {{"id", L"findings"}}).element("h2", L"주요 점검 내용");
    if (!in.machine_lines.empty()) {
        w.open("ul");
        for (const std::wstring& line : in.machine_lines)
            w.element("li", line);
        w.close("ul");
    }
    for (const ReportPageSection& s : in.findings) {
        // Short sections stay open; long lists are folded.
        const int lines = line_count(s.body);
        if (lines <= 12) {
            w.element("h3", s.title).element("pre", s.body.empty() ? L"(없음)" : s.body);
        } else {
            w.open("details").element("summary", s.title + L" (" + std::to_wstring(lines) + L"줄)");
            w.element("pre", s.body).close("details");
        }
    }
    w.close("section");
}

void write_contents(HtmlWriter& w, const ReportPageInput& in)
{
    w.open("section", {{"id", L"contents"}}).element("h2", L"압축 파일 내용");
    w.open("table").open("thead").open("tr").element("th", L"항목").element("th", L"크기", {{"class", L"num"}});
    w.close("tr").close("thead").open("tbody");
    for (const ReportPageFile& f : in.contents)
        w.open("tr").element("td", f.name).element("td", f.size_known ? size_text(f.size) : L"-", {{"class", L"num"}}).close("tr");
    w.close("tbody").close("table");
    if (in.not_packed.empty()) {
        w.element("p", L"수집하지 못한 파일이 없습니다.");
    } else {
        w.element("h3", L"수집하지 못한 파일 " + std::to_wstring(in.not_packed.size()) + L"개");
        w.open("table", {{"class", L"skipped"}}).open("tbody");
        for (const ReportPageSkipped& s : in.not_packed)
            w.open("tr").element("td", s.path).element("td", s.reason).close("tr");
        w.close("tbody").close("table");
    }
    w.close("section");
}

} // namespace


std::vector<ReportPageSection> split_sections(const std::wstring& text)
{
    std::vector<ReportPageSection> sections;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(pos, end - pos);
        const bool title = line.size() > 2 && line.front() == L'[' && line.back() == L']' &&
                           (pos == 0 || (pos >= 2 && text[pos - 2] == L'\n'));
        if (title)
            sections.push_back(ReportPageSection{line.substr(1, line.size() - 2), L""});
        else if (!sections.empty())
            sections.back().body += line + L"\n";
        pos = end + 1;
    }
    for (ReportPageSection& s : sections) {
        while (!s.body.empty() && (s.body.back() == L'\n' || s.body.back() == L' '))
            s.body.pop_back();
    }
    return sections;
}

std::string redaction_note_html(const ReportPageRedaction& r)
{
    HtmlWriter w;
    w.open("div", {{"id", L"redaction"},
                   {"role", L"note"},
                   {"style", L"background:#fde8e8;color:#7a1010;border-bottom:2px solid #b22222;padding:10px 16px;"
                             L"font-weight:bold"}});
    std::wstring line = L"개인정보 가림: 이 보관 파일의 개인정보는 가명으로 바뀌었습니다 "
                        L"(personal data replaced by pseudonyms). ";
    if (r.kinds.empty()) {
        line += L"바뀐 값이 없습니다.";
    } else {
        std::wstring kinds;
        for (const auto& [label, count] : r.kinds)
            kinds += (kinds.empty() ? L"" : L", ") + label + L" " + std::to_wstring(count);
        line += L"바뀐 값 " + std::to_wstring(r.total) + L"개 (" + kinds + L"), 파일 " + std::to_wstring(r.files) +
                L"개에서.";
    }
    w.text(line);
    w.close("div");
    return w.finish();
}

std::string report_page_html(const ReportPageInput& in)
{
    HtmlWriter w;
    w.raw("<!DOCTYPE html>\n");
    w.open("html", {{"lang", L"ko"}}).open("head");
    w.raw("<meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    w.element("title", in.product_name + L" 진단 결과 " + in.save_time);
    w.raw("<style>").raw(kStyle).raw("</style>");
    w.close("head").open("body");
    if (in.redaction.on)
        w.raw(redaction_note_html(in.redaction));
    write_header(w, in);
    w.open("main");
    write_summary(w, in);
    write_items(w, in);
    write_findings(w, in);
    write_contents(w, in);
    w.close("main");
    w.element("footer", in.product_name + L" Check Tool v" + in.tool_version + L" · 이 페이지는 인터넷 연결 없이 열립니다.");
    return w.finish();
}
