// Tab control drawn flat in the theme's colours, with hot tracking. Tab layout
// stays the system's (item size, minimum width); only the drawing is ours.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/wnd_win.h"

#include <cstdint>
#include <string>

class CEnTabCtrl : public Wnd {
public:
    bool attach(HWND hwnd);

    int insert_item(int index, const std::wstring& text);
    int item_count() const;
    int get_cur_sel() const;
    void set_cur_sel(int index);
    RECT item_rect(int index) const;
    void set_item_size(int width, int height);
    void set_min_tab_width(int width);
    // 0x00BBGGRR.
    void set_back_colour(std::uint32_t colour);
    void set_colours(std::uint32_t tab_back, std::uint32_t tab_hot, std::uint32_t selected_back,
                     std::uint32_t text, std::uint32_t selected_text);
    void set_text_font(int points, int weight);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool on_reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void paint(HDC dc);
    int hit_test(POINT pt) const;
    void rebuild_font();

    std::uint32_t m_back = 0xFBF8F6;
    std::uint32_t m_tab_back = 0xF0E9E4;
    std::uint32_t m_tab_hot = 0xE9DCD2;
    std::uint32_t m_selected_back = 0xD26E00;
    std::uint32_t m_text = 0x342C28;
    std::uint32_t m_selected_text = 0xFFFFFF;
    int m_points = 10;
    int m_weight = 400;
    OwnedFont m_font;
    OwnedFont m_bold_font;
    int m_hot = -1;
};
