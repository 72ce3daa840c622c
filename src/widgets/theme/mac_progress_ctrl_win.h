// Flat progress bar with a busy (indeterminate) display. Its state lives on the
// window's own thread: every method works by SendMessage, so worker threads
// may call them.
#pragma once

#include "common/repaint_pacer.h"
#include "framework/wnd_win.h"
#include "widgets/theme/progress_model.h"

#include <cstdint>

class CMacProgressCtrl : public Wnd {
public:
    bool attach(HWND hwnd);
    bool create(HWND parent, const RECT& rc, int id);

    void set_range(int lower, int upper);
    void set_pos(int position);
    // set_pos for a caller on another thread that need not wait until the bar
    // has taken the position (it is taken in order with the caller's other
    // messages to the bar).
    void set_pos_no_wait(int position);
    int get_pos() const;
    // Advances one step; returns the new position.
    int step();
    // Busy display: a block that runs across the bar, position ignored.
    void set_busy(bool busy);
    bool busy() const;
    // Hides itself whenever the position reaches the end.
    void set_hide_at_end(bool hide);
    // 0x00BBGGRR. Repaints at once.
    void set_colours(std::uint32_t back, std::uint32_t bar);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);
    void after_position_change(int filled_before);

    void repaint_now();

    ProgressModel m_model;
    RepaintPacer m_repaint_pacer{100};
    bool m_busy = false;
    int m_busy_offset = 0;
    std::uint32_t m_back = 0xFFFFFF;
    std::uint32_t m_bar = 0xD26E00;
};
