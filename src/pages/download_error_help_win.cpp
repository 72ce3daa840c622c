#include "pages/download_error_help_win.h"

#include "framework/centre_window_win.h"
#include "check/http/http_request.h"
#include "common/log.h"
#include "common/own_paint_win.h"
#include "framework/resources_win.h"
#include "pages/default_browser.h"
#include "pages/default_browser_win.h"
#include "pages/download_help_text.h"

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <gdiplus.h>

namespace {

// The help's dialog template and its controls.
const UINT kTemplate = 160;
const int kHeadline = 1041, kHttpAddress = 1042, kHttpsAddress = 1043, kOpenHttp = 1044, kOpenHttps = 1045,
          kErrorLine = 1046, kExplanation = 1047;

const std::uint32_t kWhite = 0xFFFFFFFF;
const std::uint32_t kCrimson = 0xFFDC143C;
const COLORREF kRoyalBlue = RGB(0x41, 0x69, 0xE1);
const COLORREF kAddressBack = RGB(240, 240, 240);
const COLORREF kButtonHot = RGB(229, 241, 251);
const COLORREF kButtonEdge = RGB(0x41, 0x69, 0xE1);

// A PNG resource of this executable as a bitmap of its own (the resource
// stream is not kept alive behind it).
std::unique_ptr<Gdiplus::Bitmap> load_png(UINT id)
{
    DWORD size = 0;
    const void* data = resource_bytes(L"PNG", id, &size);
    if (!data || !ensure_gdiplus())
        return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), size);
    if (!stream)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> copy;
    {
        Gdiplus::Bitmap source(stream);
        if (source.GetLastStatus() == Gdiplus::Ok) {
            const INT w = static_cast<INT>(source.GetWidth()), h = static_cast<INT>(source.GetHeight());
            copy = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
            Gdiplus::Graphics g(copy.get());
            g.Clear(Gdiplus::Color(0, 0, 0, 0));
            g.DrawImage(&source, 0, 0, w, h);
        }
    }
    stream->Release();
    return copy;
}

}  // namespace

CDownloadErrorHelpDlg::CDownloadErrorHelpDlg(HWND parent) : CDialogEx(kTemplate, parent) {}

CDownloadErrorHelpDlg::~CDownloadErrorHelpDlg() = default;

BOOL CDownloadErrorHelpDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    m_white.reset(CreateSolidBrush(RGB(255, 255, 255)));
    m_address_back.reset(CreateSolidBrush(kAddressBack));

    m_tooltip.create(m_hwnd, 0, 0, TTS_NOANIMATE);

    if (m_headline.attach(item(kHeadline))) {
        m_headline.set_background(kWhite);
        m_headline.set_text(kHelpHeadlineMarkup);
    }

    m_error_line_text = help_error_line(m_error_code, error_text(m_error_code));
    if (m_error_line.attach(item(kErrorLine))) {
        m_error_line.set_background(kWhite);
        m_error_line.set_font_size(10);
        // The window text carries the line too, for screen readers and UI
        // automation; set first, as window text is otherwise read as markup.
        SetWindowTextW(m_error_line.hwnd(), m_error_line_text.c_str());
        m_error_line.set_plain_text(m_error_line_text, kCrimson);
    }

    if (m_explanation.attach(item(kExplanation))) {
        m_explanation.set_background(kWhite);
        m_explanation.set_line_spacing(1.5f);
        m_explanation.set_text(kHelpExplanationMarkup);
        fit_explanation();
    }

    SetDlgItemTextW(m_hwnd, kHttpAddress, help_http_address(m_host, m_path).c_str());
    SetDlgItemTextW(m_hwnd, kHttpsAddress, help_https_address(m_host, m_path).c_str());

    m_browser_name = default_browser_name();
    m_image_id = browser_image_id(m_browser_name);
    m_image = load_png(static_cast<UINT>(m_image_id));
    if (!m_image)
        SCLOG(3, L"browser picture %d could not be loaded", m_image_id);
    for (int id : {kOpenHttp, kOpenHttps}) {
        HWND button = item(id);
        if (!button)
            continue;
        // The buttons paint their picture themselves, scaled to their size.
        LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
        style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK | BS_BITMAP | BS_ICON)) | BS_OWNERDRAW;
        SetWindowLongPtrW(button, GWL_STYLE, style);
        InvalidateRect(button, nullptr, TRUE);
    }
    m_tooltip.add(item(kOpenHttp), L"80 포트로 기본 브라우저에서 열기");
    m_tooltip.add(item(kOpenHttps), L"443 포트로 기본 브라우저에서 열기");

    centre_window(m_hwnd, GetWindow(m_hwnd, GW_OWNER));
    // The OK button takes the focus rather than the first address, which would show selected.
    SetFocus(item(IDOK));
    return FALSE;
}

void CDownloadErrorHelpDlg::fit_explanation()
{
    HWND explanation = m_explanation.hwnd();
    RECT client;
    GetClientRect(explanation, &client);
    const RECT text = m_explanation.text_rect();
    const int overflow = text.bottom - client.bottom;
    if (overflow <= 0)
        return;
    // Fonts taller than the template's make the explanation longer than its
    // box: the box, everything under it and the dialog grow so no line is cut.
    auto rect_in_dialog = [this](HWND control) {
        RECT rc;
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    RECT box = rect_in_dialog(explanation);
    SetWindowPos(explanation, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + overflow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {kHttpAddress, kOpenHttp, kHttpsAddress, kOpenHttps, IDOK}) {
        if (HWND control = item(id)) {
            RECT rc = rect_in_dialog(control);
            SetWindowPos(control, nullptr, rc.left, rc.top + overflow, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    RECT frame = window_rect();
    SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + overflow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_explanation.set_text(kHelpExplanationMarkup);
}

bool CDownloadErrorHelpDlg::PreTranslateMessage(MSG* msg)
{
    m_tooltip.relay(*msg);
    return false;
}

void CDownloadErrorHelpDlg::OnCancel()
{
    // The help stays until the user confirms it with OK.
}

void CDownloadErrorHelpDlg::open_address(int edit_id)
{
    HWND edit = item(edit_id);
    const int length = edit ? GetWindowTextLengthW(edit) : 0;
    if (length <= 0)
        return;
    std::wstring address(static_cast<size_t>(length) + 1, L'\0');
    address.resize(static_cast<size_t>(GetWindowTextW(edit, address.data(), length + 1)));
    // A failure to start the browser is not reported: the address stays there to copy.
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CDownloadErrorHelpDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == kOpenHttp) {
        open_address(kHttpAddress);
        return true;
    }
    if (id == kOpenHttps) {
        open_address(kHttpsAddress);
        return true;
    }
    return false;
}

void CDownloadErrorHelpDlg::draw_image_button(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    fill_rect(dc, rc, pressed ? kButtonHot : RGB(255, 255, 255));
    if (focused || pressed)
        frame_rect(dc, rc, kButtonEdge);
    if (m_image) {
        const int side = std::min(rc.right - rc.left, rc.bottom - rc.top) - 2 * scale(2);
        if (side > 0) {
            const int shift = pressed ? 1 : 0;
            const int x = rc.left + (rc.right - rc.left - side) / 2 + shift;
            const int y = rc.top + (rc.bottom - rc.top - side) / 2 + shift;
            Gdiplus::Graphics g(dc);
            g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            g.DrawImage(m_image.get(), Gdiplus::Rect(x, y, side, side));
        }
    }
}

bool CDownloadErrorHelpDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        if (!m_white)
            return false;
        RECT rc = client_rect();
        FillRect(reinterpret_cast<HDC>(wp), &rc, m_white.get());
        result = 1;
        return true;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        if (!m_white)
            return false;
        result = reinterpret_cast<LRESULT>(m_white.get());
        return true;
    case WM_CTLCOLORSTATIC: {
        if (!m_white)
            return false;
        HDC dc = reinterpret_cast<HDC>(wp);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
        if (id == kHttpAddress || id == kHttpsAddress) {
            SetTextColor(dc, kRoyalBlue);
            SetBkColor(dc, kAddressBack);
            result = reinterpret_cast<LRESULT>(m_address_back.get());
        } else {
            SetBkColor(dc, RGB(255, 255, 255));
            result = reinterpret_cast<LRESULT>(m_white.get());
        }
        return true;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (!item || item->CtlType != ODT_BUTTON || (item->CtlID != kOpenHttp && item->CtlID != kOpenHttps))
            return false;
        draw_image_button(*item);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

INT_PTR show_download_error_help(HWND parent, std::int32_t error_code, const std::wstring& host,
                                 const std::wstring& path)
{
    CDownloadErrorHelpDlg dlg(parent);
    dlg.m_error_code = error_code;
    dlg.m_host = host;
    dlg.m_path = path;
    return dlg.DoModal();
}
