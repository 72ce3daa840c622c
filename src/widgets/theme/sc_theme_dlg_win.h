// Themed dialog base: draws its own caption bar (icon, title, caption buttons)
// in the theme's colours on a borderless popup. Caption buttons do not act
// themselves: they report their command value (SC_MINIMIZE, SC_CLOSE...) to the
// dialog through the registered message "MessageString_CSCSystemButtons", with
// wParam pointing at the pressed CGdiButton.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/dialog_win.h"
#include "widgets/theme/gdi_button_win.h"
#include "widgets/theme/theme_colours.h"

#include <memory>
#include <vector>

// Command value of the caption button that toggles "always on top".
constexpr int kSystemButtonTopmost = 5121;

class CSCThemeDlg : public CDialogEx {
public:
    explicit CSCThemeDlg(UINT template_id, HWND parent = nullptr);
    ~CSCThemeDlg() override;

    static UINT system_buttons_message();

    // Whether the user can resize the window by its edges (set before OnInitDialog).
    void set_resizable(bool resizable) { m_resizable = resizable; }
    bool resizable() const { return m_resizable; }
    // Caption buttons, right to left in the order given (SC_MINIMIZE, SC_CLOSE...).
    void set_system_buttons(const std::vector<int>& commands);
    const std::vector<std::unique_ptr<CGdiButton>>& system_buttons() const { return m_buttons; }
    // Icon drawn at the left of the caption; not owned.
    void set_caption_icon(HICON icon);
    void set_theme(const CSCTheme& theme);
    const CSCTheme& theme() const { return m_theme; }
    // Dark title bar, rounded corners and border colour where the desktop window manager offers them.
    void apply_frame_attributes();
    // Height of the caption bar in pixels at the window's DPI.
    int caption_height() const;
    // The theme's background brush (for pages and controls).
    HBRUSH back_brush() const { return m_back_brush.get(); }

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Caption button pressed: default actions; dialogs override to decide themselves.
    virtual LRESULT on_system_button(WPARAM wp, LPARAM lp);

    // Draws background, caption and border.
    void paint_frame(HDC dc);

private:
    void layout_system_buttons();
    void rebuild_fonts();
    RECT caption_rect() const;

    CSCTheme m_theme;
    bool m_resizable = true;
    bool m_initialised = false;
    std::vector<int> m_button_commands;
    std::vector<std::unique_ptr<CGdiButton>> m_buttons;
    HICON m_caption_icon = nullptr;
    OwnedFont m_caption_font;
    OwnedBrush m_back_brush;
};
