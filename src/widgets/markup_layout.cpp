#include "widgets/markup_layout.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace {

const float kEpsilon = 1.1920929e-7f;
const double kMaxShift = 1000000.0;  // pixels; far beyond any window

bool same_face(const std::wstring& a, const wchar_t* b)
{
    std::wstring other(b);
    if (a.size() != other.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(other[i]))
            return false;
    }
    return true;
}

// Sums of run sizes stay far from int overflow, however many absurd runs there are.
int bounded_add(int a, int b)
{
    return static_cast<int>(std::min<long long>(static_cast<long long>(a) + b, 500000000LL));
}

int line_height(const MarkupLine& line)
{
    int height = 0;
    for (const MarkupRun& run : line)
        height = std::max(height, run.rect.height());
    return height;
}

int line_width(const MarkupLine& line)
{
    if (line.empty())
        return 0;
    return line.back().rect.right - line.front().rect.left;
}

void move_line(MarkupLine& line, int dx, int dy)
{
    for (MarkupRun& run : line) {
        run.rect.left += dx;
        run.rect.right += dx;
        run.rect.top += dy;
        run.rect.bottom += dy;
    }
}

}  // namespace

std::map<int, float> markup_line_spacings(const MarkupDocument& document)
{
    std::map<int, float> spacings;
    for (size_t i = 0; i < document.size(); ++i) {
        if (!document[i].empty() && document[i].front().line_spacing != -1.0f)
            spacings[static_cast<int>(i)] = document[i].front().line_spacing;
    }
    return spacings;
}

MarkupRect layout_markup(MarkupDocument& document, const MarkupLayoutOptions& options, const MarkupMeasure& measure)
{
    const MarkupRect& client = options.client;
    const int left = client.left + options.left_indent;

    // Measure and stack.
    int top = client.top;
    for (MarkupLine& line : document) {
        int x = left;
        int tallest = 0;
        for (MarkupRun& run : line) {
            MarkupSize size = measure(run);
            if (size.width <= kEpsilon || size.height <= kEpsilon) {
                size.width = 1;
                size.height = 40;
            }
            // Measurements of absurd sizes ("<sz=99999999>") stay within int range.
            int width = static_cast<int>(std::min(size.width + 0.5f, 1000000.0f));
            int height = static_cast<int>(std::min(size.height + 0.5f, 1000000.0f));
            run.rect = {x, top, x + width, top + height};
            x = bounded_add(x, width);
            tallest = std::max(tallest, height);
        }
        if (!line.empty()) {
            int valign = line.front().line_valign;
            if (valign == 4 || valign == 8) {
                for (MarkupRun& run : line) {
                    int h = run.rect.height();
                    int offset = valign == 4 ? (tallest - h) / 2 : tallest - h;
                    run.rect.top = top + offset;
                    run.rect.bottom = run.rect.top + h;
                }
            }
        }
        top = bounded_add(top, tallest);
    }

    // Line spacing: each line moves down by the extra space of the lines above it.
    int sum = 0;
    for (size_t i = 1; i < document.size(); ++i) {
        auto own = options.line_spacings.find(static_cast<int>(i));
        float factor = own != options.line_spacings.end() ? own->second : options.line_spacing;
        // Factors come from text ("<ls=1e30>", "<ls=nan>"): keep the shift finite and bounded.
        double extra = std::isfinite(factor) ? (static_cast<double>(factor) - 1.0) * line_height(document[i - 1]) : 0.0;
        extra = std::clamp(extra, -kMaxShift, kMaxShift);
        sum = static_cast<int>(std::clamp(static_cast<double>(sum) + static_cast<int>(extra), -kMaxShift, kMaxShift));
        move_line(document[i], 0, sum);
    }

    // Horizontal alignment, line by line.
    for (size_t i = 0; i < document.size(); ++i) {
        MarkupLine& line = document[i];
        if (line.empty())
            continue;
        auto own = options.line_alignments.find(static_cast<int>(i));
        int alignment = own != options.line_alignments.end() ? own->second : std::max(options.alignment, 0);
        int width = line_width(line);
        int target = left;
        if (alignment == 1)
            target = (left + client.right) / 2 - width / 2;
        else if (alignment == 2)
            target = client.right - width;
        move_line(line, target - line.front().rect.left, 0);
    }

    // Bounding box, then the block's vertical place.
    MarkupRect box;
    bool first = true;
    for (const MarkupLine& line : document) {
        for (const MarkupRun& run : line) {
            if (first) {
                box = run.rect;
                first = false;
            } else {
                box.left = std::min(box.left, run.rect.left);
                box.top = std::min(box.top, run.rect.top);
                box.right = std::max(box.right, run.rect.right);
                box.bottom = std::max(box.bottom, run.rect.bottom);
            }
        }
    }
    if (first)
        return MarkupRect();

    int vertical = std::max(options.vertical, 0);
    int block_top = box.top;
    if (vertical == 4)
        block_top = (client.bottom - client.top - box.height()) / 2 + client.top;
    else if (vertical == 8)
        block_top = client.bottom - box.height();
    int dy = block_top - box.top;
    if (dy != 0) {
        for (MarkupLine& line : document)
            move_line(line, 0, dy);
        box.top += dy;
        box.bottom += dy;
    }
    return box;
}

float markup_hinting_threshold(const std::wstring& face, float control_threshold)
{
    for (const wchar_t* name : {L"Segoe UI", L"맑은 고딕", L"Malgun Gothic"}) {
        if (same_face(face, name))
            return 14.0f;
    }
    for (const wchar_t* name : {L"굴림", L"Gulim", L"돋움", L"Dotum", L"궁서", L"Gungsuh", L"바탕", L"Batang"}) {
        if (same_face(face, name))
            return 16.0f;
    }
    for (const wchar_t* name : {L"Tahoma", L"Verdana"}) {
        if (same_face(face, name))
            return 13.0f;
    }
    return control_threshold;
}
