// Placing the runs of a markup document in a client rectangle. Measurement is
// handed in, so the rules are the same with GDI+ and in tests.
#pragma once

#include "widgets/markup_text.h"

#include <functional>
#include <map>

struct MarkupSize {
    float width = 0;
    float height = 0;
};

struct MarkupLayoutOptions {
    MarkupRect client;
    int left_indent = 0;
    float line_spacing = 1.2f;             // the control's factor
    std::map<int, float> line_spacings;    // line index -> its own factor
    std::map<int, int> line_alignments;    // line index -> its own alignment
    int alignment = 0;                     // 1 centre, 2 right, otherwise left
    int vertical = 0;                      // 4 centre, 8 bottom, otherwise top
};

// Measures a run: the width of its text with trailing blanks, and its height.
using MarkupMeasure = std::function<MarkupSize(const MarkupRun&)>;

// Sets every run's rectangle and returns the bounding box of all runs
// (all zero for an empty document).
MarkupRect layout_markup(MarkupDocument& document, const MarkupLayoutOptions& options, const MarkupMeasure& measure);

// The factors written by "<ls=…>" into lines' first runs, keyed by line index.
std::map<int, float> markup_line_spacings(const MarkupDocument& document);

// Size in points from which a face is drawn anti-aliased rather than with ClearType.
float markup_hinting_threshold(const std::wstring& face, float control_threshold);
