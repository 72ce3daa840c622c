#include "widgets/step_ctrl_win.h"

#include "common/colour.h"
#include "common/own_paint_win.h"

#include <gdiplus.h>

#include <algorithm>
#include <cwchar>

namespace {

Gdiplus::Color gdip_colour(uint32_t argb)
{
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

Gdiplus::RectF shrink(const Gdiplus::RectF& rect, float by)
{
    return Gdiplus::RectF(rect.X + by, rect.Y + by, std::max(rect.Width - 2 * by, 0.0f),
                          std::max(rect.Height - 2 * by, 0.0f));
}

void fill_marker(Gdiplus::Graphics& g, const Gdiplus::RectF& rect, int shape, uint32_t colour)
{
    Gdiplus::SolidBrush brush(gdip_colour(colour));
    if (shape == 2)
        g.FillRectangle(&brush, rect);
    else
        g.FillEllipse(&brush, rect);
}

}  // namespace

CSCStepCtrl::CSCStepCtrl() = default;

void CSCStepCtrl::on_attached()
{
    ensure_gdiplus();
    LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    SetWindowLongPtrW(hwnd(), GWL_STYLE, (style & ~SS_TYPEMASK) | SS_OWNERDRAW);
    m_model.colours().background = argb(GetSysColor(COLOR_BTNFACE));
    make_fonts();
}

void CSCStepCtrl::make_fonts()
{
    HWND parent = GetParent(hwnd());
    HFONT source = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW lf = {};
    if (!source || !GetObjectW(source, sizeof(lf), &lf)) {
        NONCLIENTMETRICSW metrics = {sizeof(metrics)};
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        lf = metrics.lfMessageFont;
    }
    make_fonts_from(lf, FW_NORMAL);
}

void CSCStepCtrl::make_fonts_from(LOGFONTW lf, int weight)
{
    lf.lfWeight = weight;
    m_font.reset(CreateFontIndirectW(&lf));
    lf.lfWeight = FW_BOLD;
    m_bold_font.reset(CreateFontIndirectW(&lf));
}

void CSCStepCtrl::set_font(const std::wstring& face, int points, int weight)
{
    run_on_window_thread([&] {
        LOGFONTW lf = {};
        lf.lfHeight = -MulDiv(points, dpi(), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        make_fonts_from(lf, weight);
        repaint();
    });
}

void CSCStepCtrl::repaint()
{
    repaint_soon();
}

void CSCStepCtrl::set_count(int count)
{
    run_on_window_thread([&] {
        m_model.set_count(static_cast<size_t>(std::max(count, 0)));
        repaint();
    });
}

int CSCStepCtrl::count() const
{
    int count = 0;
    const_cast<CSCStepCtrl*>(this)->run_on_window_thread([&] { count = static_cast<int>(m_model.count()); });
    return count;
}

void CSCStepCtrl::set_current(int index)
{
    if ((index < -1 ? -1 : index) == m_current_set.load())
        return;
    queue_on_window_thread([this, index] {
        m_model.set_current(index);
        m_current_set = m_model.current();
        repaint();
    });
}

int CSCStepCtrl::current() const
{
    int current = -1;
    const_cast<CSCStepCtrl*>(this)->run_on_window_thread([&] { current = m_model.current(); });
    return current;
}

void CSCStepCtrl::set_line_text(int index, const std::wstring& text, uint32_t text_colour)
{
    queue_on_window_thread([this, index, text, text_colour] {
        m_model.set_text(index, text, colour_from_mark(text_colour));
        repaint();
    });
}

void CSCStepCtrl::set_line_colour(int index, uint32_t marker_colour, uint32_t text_colour)
{
    queue_on_window_thread([this, index, marker_colour, text_colour] {
        m_model.set_line_colour(index, colour_from_mark(marker_colour), colour_from_mark(text_colour));
        repaint();
    });
}

void CSCStepCtrl::reset_colours()
{
    run_on_window_thread([&] {
        m_model.reset_colours();
        repaint();
    });
}

void CSCStepCtrl::set_theme_colours(const StepColours& colours)
{
    run_on_window_thread([&] {
        m_model.colours() = colours;
        repaint();
    });
}

void CSCStepCtrl::set_marker_shape(int shape)
{
    run_on_window_thread([&] {
        m_shape = shape;
        repaint();
    });
}

void CSCStepCtrl::set_marker_size(int size)
{
    run_on_window_thread([&] {
        m_marker_size = std::max(size, 4);
        repaint();
    });
}

void CSCStepCtrl::set_margins(int top, int left, int bottom, int right, int text_gap)
{
    run_on_window_thread([&] {
        m_margin_top = top;
        m_margin_left = left;
        m_margin_bottom = bottom;
        m_margin_right = right;
        m_text_gap = text_gap;
        repaint();
    });
}

void CSCStepCtrl::set_check_mark_colour(uint32_t colour)
{
    run_on_window_thread([&] {
        m_check_override = colour_from_mark(colour);
        repaint();
    });
}

void CSCStepCtrl::set_minimum_contrast(double ratio)
{
    run_on_window_thread([&] {
        m_minimum_contrast = ratio;
        repaint();
    });
}

uint32_t CSCStepCtrl::marker_colour(int index) const
{
    return m_model.marker_colour(index);
}

uint32_t CSCStepCtrl::text_colour(int index) const
{
    return m_model.text_colour(index);
}

uint32_t CSCStepCtrl::check_mark_colour_of(int index) const
{
    if (m_check_override)
        return *m_check_override;
    return check_mark_colour(m_model.marker_colour(index), m_minimum_contrast);
}

RECT CSCStepCtrl::marker_rect(int index) const
{
    RECT client;
    GetClientRect(hwnd(), &client);
    const int size = scale(m_marker_size);
    const int top = step_marker_top(index, static_cast<int>(m_model.count()), client.bottom - client.top, size,
                                    scale(m_margin_top), scale(m_margin_bottom));
    const int left = scale(m_margin_left);
    return RECT{left, top, left + size, top + size};
}

void CSCStepCtrl::paint(HDC target)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return;

    BufferedPaint buffer(hwnd(), target, client);
    HDC dc = buffer.dc();
    {
        const StepColours& colours = m_model.colours();
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::SolidBrush background(gdip_colour(colours.background | 0xFF000000u));
        g.FillRectangle(&background, 0, 0, width, height);

        const float dpi_scale = dpi() / 96.0f;
        for (int i = 0; i < static_cast<int>(m_model.count()); ++i) {
            const StepLine& line = m_model.lines()[i];
            RECT r = marker_rect(i);
            Gdiplus::RectF marker(static_cast<float>(r.left), static_cast<float>(r.top),
                                  static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top));
            const int shape = line.shape >= 0 ? line.shape : m_shape;
            const uint32_t colour = m_model.marker_colour(i);
            fill_marker(g, marker, shape, colour);
            const StepState state = m_model.state(i);
            if (state == StepState::done) {
                Gdiplus::Pen pen(gdip_colour(check_mark_colour_of(i)), 1.8f * dpi_scale);
                pen.SetStartCap(Gdiplus::LineCapRound);
                pen.SetEndCap(Gdiplus::LineCapRound);
                pen.SetLineJoin(Gdiplus::LineJoinRound);
                const float x = marker.X, y = marker.Y, s = marker.Width;
                Gdiplus::PointF points[3] = {Gdiplus::PointF(x + s * 0.28f, y + s * 0.52f),
                                             Gdiplus::PointF(x + s * 0.44f, y + s * 0.68f),
                                             Gdiplus::PointF(x + s * 0.73f, y + s * 0.35f)};
                g.DrawLines(&pen, points, 3);
            } else {
                // A ring 2 pixels wide with a dot 3 pixels inside it (current), or a ring
                // 1 pixel wide (pending). The ring is stroked along its middle rather than
                // cut out by a smaller fill: the same shape, without gaps where a renderer
                // does not anti-alias fills.
                const float width = (state == StepState::current ? 2.0f : 1.0f) * dpi_scale;
                fill_marker(g, marker, shape, colours.background | 0xFF000000u);
                Gdiplus::Pen ring(gdip_colour(colour), width);
                Gdiplus::RectF middle = shrink(marker, width / 2);
                if (shape == 2)
                    g.DrawRectangle(&ring, middle);
                else
                    g.DrawEllipse(&ring, middle);
                if (state == StepState::current)
                    fill_marker(g, shrink(marker, 5 * dpi_scale), shape, colour);
            }
        }
    }
    // Texts with GDI on the same bitmap, each vertically centred on its marker.
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(m_model.count()); ++i) {
        const StepLine& line = m_model.lines()[i];
        if (line.text.empty())
            continue;
        RECT r = marker_rect(i);
        const int mid = (r.top + r.bottom) / 2;
        RECT text = {r.right + scale(m_text_gap), mid - scale(20), width - scale(m_margin_right), mid + scale(20)};
        SelectedObject font(dc, m_model.state(i) == StepState::current ? m_bold_font.get() : m_font.get());
        SetTextColor(dc, colorref_from_argb(m_model.text_colour(i)));
        DrawTextW(dc, line.text.c_str(), static_cast<int>(line.text.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

LRESULT CSCStepCtrl::WndProc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    LRESULT painted = 0;
    if (handle_own_paint(hwnd(), msg, wparam, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case WM_SIZE:
        repaint();
        break;
    default:
        break;
    }
    return default_proc(msg, wparam, lparam);
}
