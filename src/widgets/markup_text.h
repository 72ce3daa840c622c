// The markup language of the static-text control: text cut into lines of runs,
// each run with its own font and colours. Portable; layout and drawing are elsewhere.
#pragma once

#include "common/colour.h"

#include <cstdint>
#include <string>
#include <vector>

enum MarkupFontStyle : uint32_t {
    markup_bold = 1,
    markup_italic = 2,
    markup_underline = 4,
    markup_strikeout = 8,
};

constexpr size_t markup_face_max = 63;

struct MarkupStyle {
    std::wstring face = L"Tahoma";  // at most markup_face_max characters
    float size = 10.0f;             // points
    uint32_t flags = 0;             // MarkupFontStyle bits
    uint32_t text_colour = 0xFF000000u;
    OptionalColour background;      // none: no fill of its own

    bool operator==(const MarkupStyle& other) const
    {
        return face == other.face && size == other.size && flags == other.flags &&
               text_colour == other.text_colour && background == other.background;
    }
};

struct MarkupRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct MarkupRun {
    std::wstring text;
    MarkupStyle style;
    MarkupRect rect;
    // Line attributes, read on a line's first run only.
    float line_spacing = -1.0f;  // -1: not given
    int line_valign = 0;         // 4 centre, 8 bottom, otherwise top
};

using MarkupLine = std::vector<MarkupRun>;
using MarkupDocument = std::vector<MarkupLine>;

// Replaces "\r\n", then "\r", then "\n" by "<br>".
std::wstring markup_line_breaks(const std::wstring& text);

struct MarkupToken {
    std::wstring text;
    bool is_tag = false;
};

// Cuts the text into text tokens and tag tokens ("<" up to and including the next ">",
// or to the end of the text).
std::vector<MarkupToken> markup_tokens(const std::wstring& text);

// Removes "_" and "-" from a tag, and blanks too unless it names a font face.
std::wstring normalise_markup_tag(const std::wstring& tag);

// Parses marked-up text into lines of runs starting from the default style.
MarkupDocument parse_markup(const std::wstring& text, const MarkupStyle& default_style);
