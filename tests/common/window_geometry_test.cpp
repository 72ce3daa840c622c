#include "common/window_geometry.h"

#include <gtest/gtest.h>

#include <vector>

TEST(WindowGeometry, CentresOnAnAreaFromATable)
{
    struct Case {
        int width, height;
        ScreenRect area;
        ScreenPoint expected;
    };
    const std::vector<Case> cases = {
        {400, 200, {0, 0, 1280, 1024}, {440, 412}},          // the work area of a 1280x1024 screen
        {400, 200, {100, 50, 901, 651}, {300, 250}},         // an owner window: odd sizes round down
        {50, 50, {-1920, 0, 0, 1080}, {-985, 515}},          // a monitor left of the primary one
        {800, 600, {200, 100, 600, 400}, {0, -50}},          // larger than the area: overhangs evenly
        {0, 0, {10, 10, 10, 10}, {10, 10}},                  // nothing to centre on
    };
    for (const Case& c : cases) {
        const ScreenPoint at = centred_position(c.width, c.height, c.area);
        EXPECT_EQ(at.x, c.expected.x) << c.width << "x" << c.height << " on " << c.area.left << "," << c.area.top;
        EXPECT_EQ(at.y, c.expected.y) << c.width << "x" << c.height << " on " << c.area.left << "," << c.area.top;
    }
}

TEST(WindowGeometry, FrameHitFromATable)
{
    // The main window at 96 DPI: 800x520 client, 4-pixel resize border, 32-pixel
    // caption with a 34-pixel icon part.
    const FrameMetrics resizable{800, 520, 4, 32, 34};
    FrameMetrics fixed = resizable;
    fixed.resize_border = 0;
    FrameMetrics no_icon = resizable;
    no_icon.system_menu_width = 0;
    struct Case {
        const FrameMetrics& frame;
        int x, y;
        FrameHit expected;
    };
    const std::vector<Case> cases = {
        {resizable, 0, 0, FrameHit::top_left},      {resizable, 799, 0, FrameHit::top_right},
        {resizable, 0, 519, FrameHit::bottom_left}, {resizable, 799, 519, FrameHit::bottom_right},
        {resizable, 3, 200, FrameHit::left},        {resizable, 796, 200, FrameHit::right},
        {resizable, 400, 3, FrameHit::top},         {resizable, 400, 516, FrameHit::bottom},
        {resizable, 4, 10, FrameHit::system_menu},  {resizable, 33, 31, FrameHit::system_menu},
        {resizable, 34, 10, FrameHit::caption},     {resizable, 400, 32, FrameHit::client},
        {fixed, 0, 0, FrameHit::system_menu},       {fixed, 799, 10, FrameHit::caption},
        {fixed, 0, 519, FrameHit::client},          {no_icon, 10, 10, FrameHit::caption},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame_hit(c.frame, c.x, c.y), c.expected) << "at " << c.x << "," << c.y;
}
