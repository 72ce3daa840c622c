// Flat owner-drawn push button: text, colours for normal, hot, pressed and
// disabled states. Works on a template button (attach) or one it creates.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/wnd_win.h"

#include <cstdint>
#include <string>

class CGdiButton : public Wnd {
public:

    bool create(HWND parent, const RECT& rc, int id, const std::wstring& text);
    bool attach(HWND hwnd);

    // Colours are 0x00BBGGRR.
    void set_colours(std::uint32_t back, std::uint32_t text, std::uint32_t hot, std::uint32_t down);
    void set_disabled_colours(std::uint32_t back, std::uint32_t text);
    // Text size in points; weight 400 or 700.
    void set_text_font(int points, int weight = 400);
    // A button that shows a caption glyph instead of text (minimise, close...).
    enum class Glyph { none, minimise, maximise, close, pin };
    void set_glyph(Glyph glyph) { m_glyph = glyph; invalidate(); }

    // Command value reported by caption buttons (SC_MINIMIZE, SC_CLOSE...).
    int m_command = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool on_reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void draw(const DRAWITEMSTRUCT& dis);
    void make_owner_drawn();
    void rebuild_font();

    std::uint32_t m_back = 0xD26E00;
    std::uint32_t m_text = 0xFFFFFF;
    std::uint32_t m_hot = 0xEB8214;
    std::uint32_t m_down = 0xAA5500;
    std::uint32_t m_disabled_back = 0x808080;
    std::uint32_t m_disabled_text = 0xE1E1E1;
    int m_points = 10;
    int m_weight = 400;
    OwnedFont m_font;
    bool m_hover = false;
    Glyph m_glyph = Glyph::none;
};
