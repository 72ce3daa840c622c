// Small GDI/GDI+ helpers shared by the themed controls.
#pragma once

#include "common/gdiplus_startup_win.h"  // ensure_gdiplus
#include "common/own_paint_win.h"       // BufferedPaint, fill_rect

#include <windows.h>

#include <cstdint>
#include <string>


// A font of `points` at the window's DPI.
OwnedFont create_point_font(HWND hwnd, const wchar_t* face, int points, int weight);

// Draws text in a rectangle with the given DrawText flags.
void draw_text(HDC dc, const std::wstring& text, RECT rc, HFONT font, std::uint32_t colour, UINT flags);

