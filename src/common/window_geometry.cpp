#include "common/window_geometry.h"

ScreenPoint centred_position(int width, int height, const ScreenRect& area)
{
    // Halving the difference (not the sum) rounds the same way on either side.
    return ScreenPoint{area.left + (area.width() - width) / 2, area.top + (area.height() - height) / 2};
}

FrameHit frame_hit(const FrameMetrics& frame, int x, int y)
{
    if (frame.resize_border > 0) {
        const int b = frame.resize_border;
        const bool left = x < b, right = x >= frame.width - b, top = y < b, bottom = y >= frame.height - b;
        if (top && left)
            return FrameHit::top_left;
        if (top && right)
            return FrameHit::top_right;
        if (bottom && left)
            return FrameHit::bottom_left;
        if (bottom && right)
            return FrameHit::bottom_right;
        if (left)
            return FrameHit::left;
        if (right)
            return FrameHit::right;
        if (top)
            return FrameHit::top;
        if (bottom)
            return FrameHit::bottom;
    }
    if (y >= 0 && y < frame.caption_height)
        return x < frame.system_menu_width ? FrameHit::system_menu : FrameHit::caption;
    return FrameHit::client;
}
