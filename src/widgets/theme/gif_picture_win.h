// Animated picture from a GIF resource, drawn with GDI+ on a background colour
// and centred in the control. Start, pause and stop work from any thread (by
// SendMessage); the frames advance on the control's own timer.
#pragma once

#include "common/gdi_owners_win.h"
#include "framework/wnd_win.h"
#include "widgets/theme/gif_timing.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

class CGifPicture : public Wnd {
public:
    CGifPicture();
    ~CGifPicture() override;

    bool attach(HWND hwnd);
    // Loads resource (type, id) of this executable; false when it is missing or not a picture.
    bool load(const wchar_t* type, UINT id, std::uint32_t back_colour);
    // Loads a picture from bytes (GIF, PNG...).
    bool load_bytes(const void* data, size_t size, std::uint32_t back_colour);

    bool is_loaded() const;
    int frame_count() const;
    bool is_animated() const { return frame_count() > 1; }
    bool is_running() const;
    int current_frame() const;

    void start();
    void pause();
    // Pauses and goes back to the first frame.
    void stop();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void paint(HDC dc);
    void show_frame(int frame);
    void arm_timer();
    // The frame drawn at the control's size, made once: decoding and scaling a
    // frame with GDI+ costs milliseconds, and the animation runs during the check.
    HBITMAP frame_bitmap(HDC like, int width, int height);
    void drop_frame_bitmaps();

    std::unique_ptr<Gdiplus::Image> m_image;
    void* m_stream = nullptr; // IStream kept alive for the image
    GifTiming m_timing;
    std::uint32_t m_back = 0xFFFFFF;
    int m_frame = 0;
    bool m_running = false;
    std::vector<OwnedBitmap> m_frame_bitmaps;
    SIZE m_frame_bitmap_size{0, 0};
};
