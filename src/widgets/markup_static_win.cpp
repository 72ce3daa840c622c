#include "widgets/markup_static_win.h"

#include "common/log.h"
#include "common/own_paint_win.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const UINT_PTR k_animation_timer = 0x5C1;

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
    HDC screen = GetDC(nullptr);
    font = std::make_unique<Gdiplus::Font>(screen, &lf);
    ReleaseDC(nullptr, screen);
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
    detach();
    release_animation();
    if (font_)
        DeleteObject(font_);
}

void CSCStatic::on_attached()
{
    ensure_gdiplus();
    // Start from the control's own font: its face and its size in points.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    if (font && GetObjectW(font, sizeof(lf), &lf)) {
        if (lf.lfFaceName[0])
            default_style_.face = std::wstring(lf.lfFaceName).substr(0, markup_face_max);
        if (lf.lfHeight != 0) {
            int points = MulDiv(std::abs(lf.lfHeight), 72, dpi());
            if (points > 0)
                default_style_.size = static_cast<float>(points);
        }
    }
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd(), text, 1024);
    if (text[0])
        set_text(text);
}

void CSCStatic::parse_and_layout()
{
    document_ = plain_ ? MarkupDocument() : parse_markup(text_, default_style_);
    layout();
}

void CSCStatic::layout()
{
    if (!hwnd() || plain_ || document_.empty()) {
        text_rect_ = MarkupRect();
        return;
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    MarkupLayoutOptions options;
    options.client = to_markup_rect(client);
    options.left_indent = left_indent_;
    options.line_spacing = line_spacing_;
    // Factors given by "<ls=…>" apply to lines that have none set by the caller.
    options.line_spacings = own_spacings_;
    for (const auto& entry : markup_line_spacings(document_))
        options.line_spacings.insert(entry);
    options.line_alignments = line_alignments_;
    options.alignment = alignment_;
    options.vertical = vertical_;

    HDC dc = GetDC(hwnd());
    {
        Gdiplus::Graphics graphics(dc);
        const int window_dpi = dpi();
        const Gdiplus::StringFormat* format = Gdiplus::StringFormat::GenericTypographic();
        text_rect_ = layout_markup(document_, options, [&](const MarkupRun& run) {
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
    ReleaseDC(hwnd(), dc);
}

void CSCStatic::set_text(const std::wstring& markup)
{
    run_on_window_thread([&] {
        text_ = markup;
        plain_ = false;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_plain_text(const std::wstring& text, uint32_t colour)
{
    run_on_window_thread([&] {
        text_ = text;
        plain_ = true;
        if (colour != markup_no_background)
            plain_colour_ = colour;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_font_size(int points)
{
    run_on_window_thread([&] {
        default_style_.size = static_cast<float>(points);
        LOGFONTW lf = {};
        lf.lfHeight = -MulDiv(points, dpi(), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, default_style_.face.c_str(), LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&lf);
        if (font) {
            SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            if (font_)
                DeleteObject(font_);
            font_ = font;
        }
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_font_name(const std::wstring& face)
{
    run_on_window_thread([&] {
        default_style_.face = face.substr(0, markup_face_max);
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_text_colour(uint32_t argb)
{
    run_on_window_thread([&] {
        default_style_.text_colour = argb;
        plain_colour_ = argb;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_spacing(float factor)
{
    run_on_window_thread([&] {
        line_spacing_ = factor;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_spacing(int line, float factor)
{
    run_on_window_thread([&] {
        own_spacings_[line] = factor;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_alignment(int alignment)
{
    run_on_window_thread([&] {
        alignment_ = alignment;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_line_alignment(int line, int alignment)
{
    run_on_window_thread([&] {
        line_alignments_[line] = alignment;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_vertical(int vertical)
{
    run_on_window_thread([&] {
        vertical_ = vertical;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_left_indent(int pixels)
{
    run_on_window_thread([&] {
        left_indent_ = pixels;
        layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_hinting_threshold(float points)
{
    run_on_window_thread([&] {
        hinting_threshold_ = points;
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

void CSCStatic::set_background(uint32_t argb)
{
    run_on_window_thread([&] {
        own_background_ = true;
        background_ = argb;
        InvalidateRect(hwnd(), nullptr, FALSE);
    });
}

RECT CSCStatic::text_rect() const
{
    RECT r = {};
    const_cast<CSCStatic*>(this)->run_on_window_thread(
        [&] { r = RECT{text_rect_.left, text_rect_.top, text_rect_.right, text_rect_.bottom}; });
    return r;
}

MarkupDocument CSCStatic::document() const
{
    MarkupDocument copy;
    const_cast<CSCStatic*>(this)->run_on_window_thread([&] { copy = document_; });
    return copy;
}

void CSCStatic::paint_runs(void* graphics_pointer)
{
    auto& graphics = *static_cast<Gdiplus::Graphics*>(graphics_pointer);
    const Gdiplus::StringFormat* format = Gdiplus::StringFormat::GenericTypographic();
    const int window_dpi = dpi();
    for (const MarkupLine& line : document_) {
        for (auto run = line.rbegin(); run != line.rend(); ++run) {
            const MarkupRect& r = run->rect;
            if (run->style.background != markup_no_background && (run->style.background >> 24) != 0) {
                Gdiplus::SolidBrush fill(gdip_colour(run->style.background));
                graphics.FillRectangle(&fill, r.left, r.top, r.width(), r.height());
            }
            if (run->text.empty())
                continue;
            std::unique_ptr<Gdiplus::Font> font = make_font(run->style, window_dpi);
            if (!font)
                continue;
            if (hinting_threshold_ > 0.0f) {
                bool large = run->style.size >= markup_hinting_threshold(run->style.face, hinting_threshold_);
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
    std::unique_ptr<Gdiplus::Font> font = make_font(default_style_, dpi());
    if (!font || text_.empty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(alignment_ == 1 ? Gdiplus::StringAlignmentCenter
                        : alignment_ == 2 ? Gdiplus::StringAlignmentFar
                                          : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(vertical_ == 4 ? Gdiplus::StringAlignmentCenter
                            : vertical_ == 8 ? Gdiplus::StringAlignmentFar
                                             : Gdiplus::StringAlignmentNear);
    Gdiplus::RectF area(static_cast<float>(client.left + left_indent_), static_cast<float>(client.top),
                        static_cast<float>(client.right - client.left - left_indent_),
                        static_cast<float>(client.bottom - client.top));
    Gdiplus::SolidBrush brush(gdip_colour(plain_colour_));
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    graphics.DrawString(text_.c_str(), static_cast<INT>(text_.size()), font.get(), area, &format, &brush);
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
    if (own_background_) {
        HBRUSH brush = CreateSolidBrush(RGB((background_ >> 16) & 0xFF, (background_ >> 8) & 0xFF, background_ & 0xFF));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
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
        if (animation_) {
            UINT w = animation_->GetWidth(), h = animation_->GetHeight();
            int dw = MulDiv(static_cast<int>(w), dpi(), 96), dh = MulDiv(static_cast<int>(h), dpi(), 96);
            graphics.DrawImage(animation_.get(), (width - dw) / 2, (height - dh) / 2, dw, dh);
        }
        if (plain_)
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
        frame_delays_.assign(frames, 100);
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
                    frame_delays_[i] = ms < 20 ? 100 : ms;
                }
            }
        }
        animation_ = std::move(image);
        animation_stream_ = stream;
        frame_ = 0;
        InvalidateRect(hwnd(), nullptr, FALSE);
        loaded = true;
    });
    return loaded;
}

void CSCStatic::start_animation()
{
    run_on_window_thread([&] {
        if (!animation_ || frame_delays_.size() < 2)
            return;
        animating_ = true;
        SetTimer(hwnd(), k_animation_timer, frame_delays_[frame_], nullptr);
    });
}

void CSCStatic::stop_animation()
{
    run_on_window_thread([&] {
        animating_ = false;
        KillTimer(hwnd(), k_animation_timer);
    });
}

void CSCStatic::next_frame()
{
    if (!animation_ || frame_delays_.size() < 2)
        return;
    frame_ = (frame_ + 1) % static_cast<int>(frame_delays_.size());
    GUID dimension = Gdiplus::FrameDimensionTime;
    animation_->SelectActiveFrame(&dimension, static_cast<UINT>(frame_));
    InvalidateRect(hwnd(), nullptr, FALSE);
    SetTimer(hwnd(), k_animation_timer, frame_delays_[frame_], nullptr);
}

void CSCStatic::release_animation()
{
    if (hwnd())
        KillTimer(hwnd(), k_animation_timer);
    animating_ = false;
    animation_.reset();
    if (animation_stream_) {
        animation_stream_->Release();
        animation_stream_ = nullptr;
    }
    frame_delays_.clear();
    frame_ = 0;
}

LRESULT CSCStatic::wnd_proc(UINT msg, WPARAM wparam, LPARAM lparam)
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
        if (wparam == k_animation_timer) {
            if (animating_)
                next_frame();
            return 0;
        }
        break;
    case WM_SETTEXT: {
        // Text set through the window (SetWindowText, templates) is markup too.
        LRESULT result = default_proc(msg, wparam, lparam);
        text_ = lparam ? reinterpret_cast<const wchar_t*>(lparam) : L"";
        plain_ = false;
        parse_and_layout();
        InvalidateRect(hwnd(), nullptr, FALSE);
        return result;
    }
    default:
        break;
    }
    return default_proc(msg, wparam, lparam);
}
