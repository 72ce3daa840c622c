#include "widgets/theme/gdi_helpers_win.h"

#include "framework/wnd_win.h"

#include <algorithm>

OwnedFont create_point_font(HWND hwnd, const wchar_t* face, int points, int weight)
{
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, window_dpi(hwnd), 72);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face ? face : L"맑은 고딕", LF_FACESIZE);
    return OwnedFont(CreateFontIndirectW(&lf));
}

void draw_text(HDC dc, const std::wstring& text, RECT rc, HFONT font, std::uint32_t colour, UINT flags)
{
    SelectedObject selected_font(dc, font);
    int old_mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_colour = SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
    SetTextColor(dc, old_colour);
    SetBkMode(dc, old_mode);
}
