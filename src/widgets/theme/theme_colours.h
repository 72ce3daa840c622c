// The palette of our themed windows. Values are COLORREF-style 0x00BBGGRR, as
// GDI takes them; argb() gives the opaque 0xAARRGGBB form the widget library's
// specified controls take.
#pragma once

#include "common/colour.h"  // argb, colorref_from_argb

#include <cstdint>

struct CSCTheme {
    std::uint32_t back = rgb(246, 248, 251);          // dialog and page background
    std::uint32_t text = rgb(40, 44, 52);             // ordinary text
    std::uint32_t title_back = rgb(30, 45, 70);       // caption bar
    std::uint32_t title_text = rgb(255, 255, 255);
    std::uint32_t border = rgb(30, 45, 70);
    std::uint32_t accent = rgb(0, 110, 210);          // buttons, progress bar, selected tab
    std::uint32_t accent_hot = rgb(20, 130, 235);
    std::uint32_t accent_down = rgb(0, 85, 170);
    std::uint32_t disabled_back = rgb(128, 128, 128);
    std::uint32_t disabled_text = rgb(225, 225, 225);
    std::uint32_t tab_back = rgb(228, 233, 240);
    std::uint32_t tab_hot = rgb(210, 220, 233);
    std::uint32_t progress_back = rgb(255, 255, 255);
    bool bold = false;
    int font_size = 10;                                // points
    const wchar_t* font_name = L"맑은 고딕";

    static constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b)
    {
        return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
    }
    int font_weight() const { return bold ? 700 : 400; }
};

// The one palette of the program.
const CSCTheme& default_theme();
