// CSCStatic: static text written in the markup language (lines of runs with
// their own fonts and colours), laid out with GDI+ measurements and drawn with
// GDI+; or plain text in one colour; or an animated picture (GIF) from a
// resource. Setters may be called from worker threads.
#pragma once

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
    // Shows the text as it is; a colour of 0x00FFFFFF keeps the current text colour.
    void set_plain_text(const std::wstring& text, uint32_t colour = markup_no_background);
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
    const MarkupStyle& default_style() const { return default_style_; }

    // An animated picture from resource (type, id) of `module`, or from bytes.
    bool load_animation(HMODULE module, const wchar_t* type, UINT id);
    bool load_animation(const void* data, size_t size);
    int animation_frames() const { return static_cast<int>(frame_delays_.size()); }
    int animation_frame() const { return frame_; }
    void start_animation();
    void stop_animation();

protected:
    const wchar_t* class_name() const override { return L"STATIC"; }
    DWORD create_style() const override { return SS_LEFT | SS_NOTIFY; }
    void on_attached() override;
    LRESULT wnd_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void parse_and_layout();
    void layout();
    void paint(HDC dc);
    void paint_runs(void* graphics);
    void paint_plain(void* graphics, const RECT& client);
    void next_frame();
    void release_animation();

    std::wstring text_;
    bool plain_ = false;
    uint32_t plain_colour_ = 0xFF000000u;
    MarkupStyle default_style_;
    MarkupDocument document_;
    float line_spacing_ = 1.2f;
    std::map<int, float> own_spacings_;
    std::map<int, int> line_alignments_;
    int alignment_ = 0;
    int vertical_ = 0;
    int left_indent_ = 0;
    float hinting_threshold_ = 14.0f;
    bool own_background_ = false;
    uint32_t background_ = 0xFFFFFFFFu;
    MarkupRect text_rect_;
    HFONT font_ = nullptr;

    std::unique_ptr<Gdiplus::Image> animation_;
    IStream* animation_stream_ = nullptr;
    std::vector<UINT> frame_delays_;  // milliseconds per frame
    int frame_ = 0;
    bool animating_ = false;
};
