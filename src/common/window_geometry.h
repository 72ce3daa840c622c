// The arithmetic of placing and hit-testing our windows, apart from the
// system calls around it: where a window goes to be centred on an area, and
// which part of a themed frame a point is on. Portable, so it is tested from
// tables in both trees.
#pragma once

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint& other) const { return x == other.x && y == other.y; }
};

// The top-left corner that centres a window of `width` x `height` on `area`;
// a window larger than the area overhangs it evenly on both sides.
ScreenPoint centred_position(int width, int height, const ScreenRect& area);

// The parts of a frame we draw ourselves (the window has no system frame).
enum class FrameHit {
    client,
    caption,
    system_menu,
    left,
    right,
    top,
    bottom,
    top_left,
    top_right,
    bottom_left,
    bottom_right,
};

struct FrameMetrics {
    int width = 0, height = 0;  // the client area
    int resize_border = 0;      // 0: the window cannot be resized now (fixed size, or maximised)
    int caption_height = 0;
    int system_menu_width = 0;  // the icon's part of the caption; 0: no icon
};

// Which part of the frame the client point (x, y) is on: a resize edge or
// corner first, then the caption's icon, then the caption.
FrameHit frame_hit(const FrameMetrics& frame, int x, int y);
