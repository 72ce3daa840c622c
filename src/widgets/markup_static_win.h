// CSCStatic: static text written in the markup language (lines of runs with
// their own fonts and colours), laid out with GDI+ measurements and drawn with
// GDI+; or plain text in one colour; or an animated picture (GIF) from a
// resource. Setters may be called from worker threads.
#pragma once

#include "common/gdi_owners_win.h"
#include "widgets/markup_layout.h"
#include "widgets/widget_window_win.h"

#include <map>
#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

class CSCStatic : public CSCWidget {
public:
    CSCStatic();
    ~CSCStatic() override;

    // Parses the markup, lays it out in the client area and repaints.
    void set_text(const std::wstring& markup);
    // Shows the text as it is; kNoColourMark keeps the current text colour.
    void set_plain_text(const std::wstring& text, uint32_t colour = kNoColourMark);
    // The default style's size in points (the control's font follows).
    void set_font_size(int points);
    void set_font_name(const std::wstring& face);
    void set_text_colour(uint32_t argb);
    // The control's factor (1.2 unless set), and factors of single lines.
    void set_line_spacing(float factor);
    void set_line_spacing(int line, float factor);
    // 0 left, 1 centre, 2 right for every line, or for one line.
    void set_alignment(int alignment);
    void set_line_alignment(int line, int alignment);
    // Vertical place of the whole block: 4 centre, 8 bottom, otherwise top.
    void set_vertical(int vertical);
    void set_left_indent(int pixels);
    // Size in points from which runs are drawn anti-aliased instead of with ClearType; 0 turns it off.
    void set_hinting_threshold(float points);
    // A background of its own (0xAARRGGBB); without one the parent's static colour shows.
    void set_background(uint32_t argb);

    // Bounding box of all runs after layout, in client pixels.
    RECT text_rect() const;
    MarkupDocument document() const;
    const MarkupStyle& default_style() const { return m_default_style; }

    // An animated picture from resource (type, id) of `module`, or from bytes.
    bool load_animation(HMODULE module, const wchar_t* type, UINT id);
    bool load_animation(const void* data, size_t size);
    int animation_frames() const { return static_cast<int>(m_frame_delays.size()); }
    int animation_frame() const { return m_frame; }
    void start_animation();
    void stop_animation();

protected:
    const wchar_t* class_name() const override { return L"STATIC"; }
    DWORD create_style() const override { return SS_LEFT | SS_NOTIFY; }
    void on_attached() override;
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void parse_and_layout();
    void layout();
    void paint(HDC dc);
    void paint_runs(void* graphics);
    void paint_plain(void* graphics, const RECT& client);
    void next_frame();
    void release_animation();

    std::wstring m_text;
    bool m_plain = false;
    uint32_t m_plain_colour = 0xFF000000u;
    MarkupStyle m_default_style;
    MarkupDocument m_document;
    float m_line_spacing = 1.2f;
    std::map<int, float> m_own_spacings;
    std::map<int, int> m_line_alignments;
    int m_alignment = 0;
    int m_vertical = 0;
    int m_left_indent = 0;
    float m_hinting_threshold = 14.0f;
    bool m_own_background = false;
    uint32_t m_background = 0xFFFFFFFFu;
    MarkupRect m_text_rect;
    OwnedFont m_font;

    std::unique_ptr<Gdiplus::Image> m_animation;
    IStream* m_animation_stream = nullptr;
    std::vector<UINT> m_frame_delays;  // milliseconds per frame
    int m_frame = 0;
    bool m_animating = false;
};
