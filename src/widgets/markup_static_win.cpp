#include "widgets/markup_static_win.h"

#include "common/log.h"
#include "common/own_paint_win.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const UINT_PTR kAnimationTimer = 0x5C1;

Gdiplus::Color gdip_colour(uint32_t argb)
{
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

int gdip_style(uint32_t flags)
{
    return static_cast<int>(flags & (markup_bold | markup_italic | markup_underline | markup_strikeout));
}

// A GDI+ font for a run, in pixels at the window's DPI. A face that GDI+ does
// not know goes through GDI's font mapper, which picks the nearest installed face.
std::unique_ptr<Gdiplus::Font> make_font(const MarkupStyle& style, int dpi)
{
    float pixels = style.size * dpi / 72.0f;
    if (!(pixels > 0.0f))
        return nullptr;
    pixels = std::min(pixels, 2000.0f);  // sizes from text are not trusted
    auto font = std::make_unique<Gdiplus::Font>(style.face.c_str(), pixels, gdip_style(style.flags),
                                                Gdiplus::UnitPixel);
    if (font->GetLastStatus() == Gdiplus::Ok)
        return font;
    LOGFONTW lf = {};
    lf.lfHeight = -static_cast<LONG>(pixels + 0.5f);
    lf.lfWeight = (style.flags & markup_bold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style.flags & markup_italic) ? TRUE : FALSE;
    lf.lfUnderline = (style.flags & markup_underline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style.flags & markup_strikeout) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, style.face.c_str(), LF_FACESIZE);
    {
        WindowDc screen(nullptr);
        font = std::make_unique<Gdiplus::Font>(screen.get(), &lf);
    }
    if (font->GetLastStatus() == Gdiplus::Ok)
        return font;
    font = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), pixels, gdip_style(style.flags),
                                           Gdiplus::UnitPixel);
    return font->GetLastStatus() == Gdiplus::Ok ? std::move(font) : nullptr;
}

MarkupRect to_markup_rect(const RECT& r)
{
    return MarkupRect{r.left, r.top, r.right, r.bottom};
}

}  // namespace

CSCStatic::CSCStatic() = default;

CSCStatic::~CSCStatic()
{
    release();  // no paint may reach the animation while it goes
    release_animation();
}

void CSCStatic::on_attached()
{
    ensure_gdiplus();
    // Start from the control's own font: its face and its size in points.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    if (font && GetObjectW(font, sizeof(lf), &lf)) {
        if (lf.lfFaceName[0])
            m_default_style.face = std::wstring(lf.lfFaceName).substr(0, markup_face_max);
        if (lf.lfHeight != 0) {
            int points = MulDiv(std::abs(lf.lfHeight), 72, dpi());
            if (points > 0)
                m_default_style.size = static_cast<float>(points);
        }
    }
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd(), text, 1024);
    if (text[0])
        set_text(text);
}

void CSCStatic::parse_and_layout()
{
    m_document = m_plain ? MarkupDocument() : parse_markup(m_text, m_default_style);
    layout();
}

void CSCStatic::layout()
{
    if (!hwnd() || m_plain || m_document.empty()) {
        m_text_rect = MarkupRect();
        return;
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    MarkupLayoutOptions options;
    options.client = to_markup_rect(client);
    options.left_indent = m_left_indent;
    options.line_spacing = m_line_spacing;
    // Factors given by "<ls=…>" apply to lines that have none set by the caller.
    options.line_spacings = m_own_spacings;
    for (const auto& entry : markup_line_spacings(m_document))
        options.line_spacings.insert(entry);
    options.line_alignments = m_line_alignments;
    options.alignment = m_alignment;
    options.vertical = m_vertical;

    WindowDc dc(hwnd());
    {
        Gdiplus::Graphics graphics(dc.get());
        const int window_dpi = dpi();
        const Gdiplus::StringFormat* format = Gdiplus::StringFormat::GenericTypographic();
        m_text_rect = layout_markup(m_document, options, [&](const MarkupRun& run) {
            std::unique_ptr<Gdiplus::Font> font = make_font(run.style, window_dpi);
            if (!font)
                return MarkupSize{};
            Gdiplus::RectF with_bar, bar;
            Gdiplus::PointF origin(0, 0);
            std::wstring text = run.text + L"|";
            graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.get(), origin, format, &with_bar);
            graphics.MeasureString(L"|", 1, font.get(), origin, format, &bar);
            return MarkupSize{with_bar.Width - bar.Width, with_bar.Height};
        });
    }
}

void CSCStatic::set_text(const std::wstring& markup)
{
    run_on_window_thread([&] {
        m_text = markup;
        m_plain = false;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_plain_text(const std::wstring& text, uint32_t colour)
{
    run_on_window_thread([&] {
        m_text = text;
        m_plain = true;
        if (const OptionalColour own = colour_from_mark(colour))
            m_plain_colour = *own;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_font_size(int points)
{
    run_on_window_thread([&] {
        m_default_style.size = static_cast<float>(points);
        LOGFONTW lf = {};
        lf.lfHeight = -MulDiv(points, dpi(), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, m_default_style.face.c_str(), LF_FACESIZE);
        OwnedFont font(CreateFontIndirectW(&lf));
        if (font) {
            SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
            m_font = std::move(font);
        }
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_font_name(const std::wstring& face)
{
    run_on_window_thread([&] {
        m_default_style.face = face.substr(0, markup_face_max);
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_text_colour(uint32_t argb)
{
    run_on_window_thread([&] {
        m_default_style.text_colour = argb;
        m_plain_colour = argb;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_spacing(float factor)
{
    run_on_window_thread([&] {
        m_line_spacing = factor;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_spacing(int line, float factor)
{
    run_on_window_thread([&] {
        m_own_spacings[line] = factor;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_alignment(int alignment)
{
    run_on_window_thread([&] {
        m_alignment = alignment;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_alignment(int line, int alignment)
{
    run_on_window_thread([&] {
        m_line_alignments[line] = alignment;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_vertical(int vertical)
{
    run_on_window_thread([&] {
        m_vertical = vertical;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_left_indent(int pixels)
{
    run_on_window_thread([&] {
        m_left_indent = pixels;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_hinting_threshold(float points)
{
    run_on_window_thread([&] {
        m_hinting_threshold = points;
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_background(uint32_t argb)
{
    run_on_window_thread([&] {
        m_own_background = true;
        m_background = argb;
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

RECT CSCStatic::text_rect() const
{
    RECT r = {};
    const_cast<CSCStatic*>(this)->run_on_window_thread(
        [&] { r = RECT{m_text_rect.left, m_text_rect.top, m_text_rect.right, m_text_rect.bottom}; });
    return r;
}

MarkupDocument CSCStatic::document() const
{
    MarkupDocument copy;
    const_cast<CSCStatic*>(this)->run_on_window_thread([&] { copy = m_document; });
    return copy;
}

void CSCStatic::paint_runs(void* graphics_pointer)
{
    auto& graphics = *static_cast<Gdiplus::Graphics*>(graphics_pointer);
    const Gdiplus::StringFormat* format = Gdiplus::StringFormat::GenericTypographic();
    const int window_dpi = dpi();
    for (const MarkupLine& line : m_document) {
        for (auto run = line.rbegin(); run != line.rend(); ++run) {
            const MarkupRect& r = run->rect;
            if (run->style.background && (*run->style.background >> 24) != 0) {
                Gdiplus::SolidBrush fill(gdip_colour(*run->style.background));
                graphics.FillRectangle(&fill, r.left, r.top, r.width(), r.height());
            }
            if (run->text.empty())
                continue;
            std::unique_ptr<Gdiplus::Font> font = make_font(run->style, window_dpi);
            if (!font)
                continue;
            if (m_hinting_threshold > 0.0f) {
                bool large = run->style.size >= markup_hinting_threshold(run->style.face, m_hinting_threshold);
                graphics.SetTextRenderingHint(large ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                                    : Gdiplus::TextRenderingHintClearTypeGridFit);
            }
            Gdiplus::SolidBrush brush(gdip_colour(run->style.text_colour));
            graphics.DrawString(run->text.c_str(), static_cast<INT>(run->text.size()), font.get(),
                                Gdiplus::PointF(static_cast<float>(r.left), static_cast<float>(r.top)), format,
                                &brush);
        }
    }
}

void CSCStatic::paint_plain(void* graphics_pointer, const RECT& client)
{
    auto& graphics = *static_cast<Gdiplus::Graphics*>(graphics_pointer);
    std::unique_ptr<Gdiplus::Font> font = make_font(m_default_style, dpi());
    if (!font || m_text.empty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(m_alignment == 1 ? Gdiplus::StringAlignmentCenter
                        : m_alignment == 2 ? Gdiplus::StringAlignmentFar
                                          : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(m_vertical == 4 ? Gdiplus::StringAlignmentCenter
                            : m_vertical == 8 ? Gdiplus::StringAlignmentFar
                                             : Gdiplus::StringAlignmentNear);
    Gdiplus::RectF area(static_cast<float>(client.left + m_left_indent), static_cast<float>(client.top),
                        static_cast<float>(client.right - client.left - m_left_indent),
                        static_cast<float>(client.bottom - client.top));
    Gdiplus::SolidBrush brush(gdip_colour(m_plain_colour));
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    graphics.DrawString(m_text.c_str(), static_cast<INT>(m_text.size()), font.get(), area, &format, &brush);
}

void CSCStatic::paint(HDC target)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return;
    BufferedPaint buffer(hwnd(), target, client);
    HDC dc = buffer.dc();

    // The parent decides the background unless the control has its own.
    if (m_own_background) {
        fill_rect(dc, client, colorref_from_argb(m_background));
    } else {
        HWND parent = GetParent(hwnd());
        HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                                      reinterpret_cast<WPARAM>(dc),
                                                                      reinterpret_cast<LPARAM>(hwnd())))
                              : nullptr;
        FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    }
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        if (m_animation) {
            UINT w = m_animation->GetWidth(), h = m_animation->GetHeight();
            int dw = MulDiv(static_cast<int>(w), dpi(), 96), dh = MulDiv(static_cast<int>(h), dpi(), 96);
            graphics.DrawImage(m_animation.get(), (width - dw) / 2, (height - dh) / 2, dw, dh);
        }
        if (m_plain)
            paint_plain(&graphics, client);
        else
            paint_runs(&graphics);
    }
}

bool CSCStatic::load_animation(HMODULE module, const wchar_t* type, UINT id)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource) {
        SCLOG(3, L"picture resource %d not found", static_cast<int>(id));
        return false;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, resource);
    return data && size > 0 && load_animation(data, size);
}

bool CSCStatic::load_animation(const void* data, size_t size)
{
    bool loaded = false;
    run_on_window_thread([&] {
        release_animation();
        IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size));
        if (!stream)
            return;
        auto image = std::make_unique<Gdiplus::Image>(stream);
        if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) {
            SCLOG(3, L"picture of %d bytes cannot be read", static_cast<int>(size));
            stream->Release();
            return;
        }
        GUID dimension = Gdiplus::FrameDimensionTime;
        UINT frames = image->GetFrameCount(&dimension);
        if (frames == 0)
            frames = 1;
        m_frame_delays.assign(frames, 100);
        UINT property_size = image->GetPropertyItemSize(PropertyTagFrameDelay);
        if (property_size > 0) {
            std::vector<BYTE> buffer(property_size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
            if (image->GetPropertyItem(PropertyTagFrameDelay, property_size, item) == Gdiplus::Ok) {
                const UINT* delays = static_cast<const UINT*>(item->value);
                UINT count = std::min<UINT>(frames, item->length / sizeof(UINT));
                for (UINT i = 0; i < count; ++i) {
                    // Hundredths of a second; browsers treat very short delays as 100 ms too.
                    UINT ms = delays[i] * 10;
                    m_frame_delays[i] = ms < 20 ? 100 : ms;
                }
            }
        }
        m_animation = std::move(image);
        m_animation_stream = stream;
        m_frame = 0;
        InvalidateRect(hwnd(), nullptr, FALSE);
        loaded = true;
    });
    return loaded;
}

void CSCStatic::start_animation()
{
    run_on_window_thread([&] {
        if (!m_animation || m_frame_delays.size() < 2)
            return;
        m_animating = true;
        SetTimer(hwnd(), kAnimationTimer, m_frame_delays[m_frame], nullptr);
    });
}

void CSCStatic::stop_animation()
{
    run_on_window_thread([&] {
        m_animating = false;
        KillTimer(hwnd(), kAnimationTimer);
    });
}

void CSCStatic::next_frame()
{
    if (!m_animation || m_frame_delays.size() < 2)
        return;
    m_frame = (m_frame + 1) % static_cast<int>(m_frame_delays.size());
    GUID dimension = Gdiplus::FrameDimensionTime;
    m_animation->SelectActiveFrame(&dimension, static_cast<UINT>(m_frame));
    InvalidateRect(hwnd(), nullptr, FALSE);
    SetTimer(hwnd(), kAnimationTimer, m_frame_delays[m_frame], nullptr);
}

void CSCStatic::release_animation()
{
    if (hwnd())
        KillTimer(hwnd(), kAnimationTimer);
    m_animating = false;
    m_animation.reset();
    if (m_animation_stream) {
        m_animation_stream->Release();
        m_animation_stream = nullptr;
    }
    m_frame_delays.clear();
    m_frame = 0;
}

LRESULT CSCStatic::WndProc(UINT msg, WPARAM wparam, LPARAM lparam)
{
    LRESULT painted = 0;
    if (handle_own_paint(hwnd(), msg, wparam, [this](HDC dc) { paint(dc); }, painted))
        return painted;
    switch (msg) {
    case WM_SIZE:
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
        break;
    case WM_TIMER:
        if (wparam == kAnimationTimer) {
            if (m_animating)
                next_frame();
            return 0;
        }
        break;
    case WM_SETTEXT: {
        // Text set through the window (SetWindowText, templates) is markup too.
        LRESULT result = default_proc(msg, wparam, lparam);
        m_text = lparam ? reinterpret_cast<const wchar_t*>(lparam) : L"";
        m_plain = false;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
        return result;
    }
    default:
        break;
    }
    return default_proc(msg, wparam, lparam);
}
