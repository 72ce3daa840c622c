#include "widgets/theme/gif_picture_win.h"

#include "common/own_paint_win.h"
#include "framework/resources_win.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <vector>

namespace {
const UINT kMsgStart = WM_APP + 0x50;
const UINT kMsgPause = WM_APP + 0x51;
const UINT kMsgStop = WM_APP + 0x52;
const UINT kMsgQuery = WM_APP + 0x53; // wParam 0: running, 1: frame, 2: frame count, 3: loaded
const UINT_PTR kFrameTimer = 0x6F;
} // namespace

CGifPicture::CGifPicture() = default;

CGifPicture::~CGifPicture()
{
    if (m_hwnd)
        ::KillTimer(m_hwnd, kFrameTimer);
    drop_frame_bitmaps();
    m_image.reset();
    if (m_stream)
        static_cast<IStream*>(m_stream)->Release();
}

bool CGifPicture::attach(HWND hwnd)
{
    ensure_gdiplus();
    return Wnd::attach(hwnd);
}

bool CGifPicture::load(const wchar_t* type, UINT id, std::uint32_t back_colour)
{
    DWORD size = 0;
    const void* data = resource_bytes(type, id, &size);
    if (!data || size == 0)
        return false;
    return load_bytes(data, size, back_colour);
}

bool CGifPicture::load_bytes(const void* data, size_t size, std::uint32_t back_colour)
{
    if (!ensure_gdiplus() || !data || size == 0)
        return false;
    m_back = back_colour;
    if (m_hwnd)
        ::KillTimer(m_hwnd, kFrameTimer);
    m_running = false;
    drop_frame_bitmaps();
    m_image.reset();
    if (m_stream) {
        static_cast<IStream*>(m_stream)->Release();
        m_stream = nullptr;
    }
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size));
    if (!stream)
        return false;
    auto image = std::make_unique<Gdiplus::Image>(stream);
    if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) {
        stream->Release();
        return false;
    }
    int frames = 1;
    std::vector<std::uint32_t> delays;
    UINT dims = image->GetFrameDimensionsCount();
    if (dims > 0) {
        std::vector<GUID> ids(dims);
        image->GetFrameDimensionsList(ids.data(), dims);
        frames = static_cast<int>(image->GetFrameCount(&ids[0]));
        UINT prop_size = image->GetPropertyItemSize(PropertyTagFrameDelay);
        if (prop_size > 0) {
            std::vector<BYTE> buf(prop_size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buf.data());
            if (image->GetPropertyItem(PropertyTagFrameDelay, prop_size, item) == Gdiplus::Ok && item->value) {
                auto* values = static_cast<std::uint32_t*>(item->value);
                size_t count = item->length / sizeof(std::uint32_t);
                delays.assign(values, values + count);
            }
        }
    }
    m_timing.set_delays(delays, frames < 1 ? 1 : frames);
    m_image = std::move(image);
    m_stream = stream;
    m_frame = 0;
    show_frame(0);
    return true;
}

bool CGifPicture::is_loaded() const
{
    return m_hwnd ? SendMessageW(m_hwnd, kMsgQuery, 3, 0) != 0 : m_image != nullptr;
}

int CGifPicture::frame_count() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, kMsgQuery, 2, 0)) : m_timing.frame_count();
}

bool CGifPicture::is_running() const
{
    return m_hwnd ? SendMessageW(m_hwnd, kMsgQuery, 0, 0) != 0 : false;
}

int CGifPicture::current_frame() const
{
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, kMsgQuery, 1, 0)) : m_frame;
}

void CGifPicture::start()
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgStart, 0, 0);
}

void CGifPicture::pause()
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgPause, 0, 0);
}

void CGifPicture::stop()
{
    if (m_hwnd)
        SendMessageW(m_hwnd, kMsgStop, 0, 0);
}

void CGifPicture::show_frame(int frame)
{
    if (!m_image)
        return;
    m_frame = frame;
    if (m_hwnd)
        InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CGifPicture::drop_frame_bitmaps()
{
    m_frame_bitmaps.clear();
    m_frame_bitmap_size = SIZE{0, 0};
}

HBITMAP CGifPicture::frame_bitmap(HDC like, int width, int height)
{
    if (m_frame_bitmap_size.cx != width || m_frame_bitmap_size.cy != height)
        drop_frame_bitmaps();
    m_frame_bitmap_size = SIZE{width, height};
    m_frame_bitmaps.resize(static_cast<size_t>(std::max(m_timing.frame_count(), 1)));
    const size_t index = static_cast<size_t>(m_frame) < m_frame_bitmaps.size() ? static_cast<size_t>(m_frame) : 0;
    if (m_frame_bitmaps[index])
        return m_frame_bitmaps[index].get();

    UINT dims = m_image->GetFrameDimensionsCount();
    if (dims > 0) {
        std::vector<GUID> ids(dims);
        m_image->GetFrameDimensionsList(ids.data(), dims);
        m_image->SelectActiveFrame(&ids[0], static_cast<UINT>(index));
    }
    MemoryDc memory(like);
    OwnedBitmap bitmap(memory ? CreateCompatibleBitmap(like, width, height) : nullptr);
    if (!bitmap)
        return nullptr;
    const HDC dc = memory.get();
    SelectedObject selected(dc, bitmap.get());
    const RECT rc{0, 0, width, height};
    fill_rect(dc, rc, m_back);
    const double iw = m_image->GetWidth(), ih = m_image->GetHeight();
    // Fit inside the control, keeping the aspect ratio; never enlarged beyond the DPI's scale.
    const double s = std::min(std::min(width / iw, height / ih), dpi() / 96.0);
    const int w = static_cast<int>(iw * s), h = static_cast<int>(ih * s);
    {
        Gdiplus::Graphics g(dc);
        g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        g.DrawImage(m_image.get(), (width - w) / 2, (height - h) / 2, w, h);
    }
    m_frame_bitmaps[index] = std::move(bitmap);  // stays selected only until `selected` goes
    return m_frame_bitmaps[index].get();
}

void CGifPicture::arm_timer()
{
    unsigned delay = m_timing.delay_ms(m_frame);
    ::SetTimer(m_hwnd, kFrameTimer, delay ? delay : 100, nullptr);
}

LRESULT CGifPicture::WndProc(UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT painted = 0;
    if (handle_own_paint(m_hwnd, msg, wp, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case kMsgStart:
        if (m_image && m_timing.animated() && !m_running) {
            m_running = true;
            arm_timer();
        }
        return 0;
    case kMsgPause:
        if (m_running) {
            m_running = false;
            ::KillTimer(m_hwnd, kFrameTimer);
        }
        return 0;
    case kMsgStop:
        m_running = false;
        ::KillTimer(m_hwnd, kFrameTimer);
        show_frame(0);
        return 0;
    case kMsgQuery:
        switch (wp) {
        case 0: return m_running ? 1 : 0;
        case 1: return m_frame;
        case 2: return m_image ? m_timing.frame_count() : 0;
        default: return m_image ? 1 : 0;
        }
    case WM_TIMER:
        if (wp == kFrameTimer) {
            if (m_running) {
                show_frame(m_timing.next_frame(m_frame));
                arm_timer();
            }
            return 0;
        }
        break;
    default:
        break;
    }
    return default_proc(msg, wp, lp);
}

void CGifPicture::paint(HDC target)
{
    RECT rc = client_rect();
    BufferedPaint buffer(m_hwnd, target, rc);
    HDC dc = buffer.dc();
    fill_rect(dc, rc, m_back);
    if (!m_image)
        return;
    const int cw = rc.right - rc.left, ch = rc.bottom - rc.top;
    if (cw <= 0 || ch <= 0 || m_image->GetWidth() == 0 || m_image->GetHeight() == 0)
        return;
    HBITMAP bitmap = frame_bitmap(dc, cw, ch);
    if (!bitmap)
        return;
    MemoryDc source(dc);
    if (!source)
        return;
    SelectedObject selected(source.get(), bitmap);
    BitBlt(dc, rc.left, rc.top, cw, ch, source.get(), 0, 0, SRCCOPY);
}
