#include "pages/download_error_help_win.h"

#include "check/http/http_request.h"
#include "common/format.h"
#include "framework/resources_win.h"
#include "pages/default_browser.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <gdiplus.h>

#include <memory>

namespace {

const int kHeadline = 1041, kHttpUrl = 1042, kHttpsUrl = 1043, kOpenHttp = 1044, kOpenHttps = 1045,
          kErrorLine = 1046, kExplanation = 1047;
const UINT kTemplate = 160;

const wchar_t kHeadlineText[] =
    L"<size=11><b>서버에서 <cr=RoyalBlue>checklist.json</cr> 파일을 다운로드하지 못했습니다.";
const wchar_t kExplanationText[] =
    L"<size=11><b>대부분 다음과 같은 원인일 가능성이 높습니다.</size></b><br>1.인터넷 연결이 원활하지 않거나 일시적 "
    L"오류인 경우<br>2.방화벽이나 보안 소프트웨어가 다운로드를 차단한 경우<br>3.조직에서 80 또는 443 포트를 차단한 "
    L"경우<br>4.프록시 서버를 사용중이거나 설정이 잘못된 경우<br><br><cr=royalblue>아래 두 주소값을 웹브라우저 "
    L"버튼을 클릭하여 열어보면 원인을 알 수 있습니다.<br>또는 복사하여 웹브라우저에서 입력한 후 각각의 결과를 "
    L"확인해주시기 바랍니다.<br>정상적인 경우라면 웹브라우저에서 checklist.json 파일을 다운로드하거나<br>해당 "
    L"파일의 내용이 웹브라우저에 표시되어야 합니다.<br>실패할 경우에는 네트워크 관리자에게 문의해주시기 "
    L"바랍니다.</cr>";
const std::uint32_t kCrimson = 0xFFDC143C;
const COLORREF kRoyalBlue = RGB(0x41, 0x69, 0xE1);
const COLORREF kAddressBack = RGB(240, 240, 240);

std::wstring prog_id_from_registry()
{
    wchar_t value[256] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER,
                     L"SOFTWARE\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice",
                     L"ProgId", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

std::wstring prog_id_from_association_service()
{
    std::wstring out;
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IApplicationAssociationRegistration* reg = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ApplicationAssociationRegistration, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IApplicationAssociationRegistration, reinterpret_cast<void**>(&reg))) &&
        reg) {
        LPWSTR prog_id = nullptr;
        if (SUCCEEDED(reg->QueryCurrentDefault(L"https", AT_URLPROTOCOL, AL_EFFECTIVE, &prog_id)) && prog_id) {
            out = prog_id;
            CoTaskMemFree(prog_id);
        }
        reg->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return out;
}

// A PNG resource as a bitmap of the given size on white.
HBITMAP load_png_bitmap(UINT id, int width, int height)
{
    DWORD size = 0;
    const void* data = resource_bytes(L"PNG", id, &size);
    if (!data || !gdiplus_ensure_started())
        return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), size);
    if (!stream)
        return nullptr;
    HBITMAP result = nullptr;
    {
        Gdiplus::Bitmap source(stream);
        if (source.GetLastStatus() == Gdiplus::Ok) {
            Gdiplus::Bitmap scaled(width, height, PixelFormat32bppARGB);
            Gdiplus::Graphics g(&scaled);
            g.Clear(Gdiplus::Color(255, 255, 255, 255));
            g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            g.DrawImage(&source, 0, 0, width, height);
            scaled.GetHBITMAP(Gdiplus::Color(255, 255, 255, 255), &result);
        }
    }
    stream->Release();
    return result;
}

} // namespace

CDownloadErrorHelpDlg::CDownloadErrorHelpDlg(HWND parent) : CDialogEx(kTemplate, parent) {}

CDownloadErrorHelpDlg::~CDownloadErrorHelpDlg()
{
    if (m_button_image)
        DeleteObject(m_button_image);
    if (m_white)
        DeleteObject(m_white);
    if (m_edit_back)
        DeleteObject(m_edit_back);
}

std::wstring CDownloadErrorHelpDlg::default_browser_name()
{
    std::wstring prog_id = prog_id_from_association_service();
    if (prog_id.empty())
        prog_id = prog_id_from_registry();
    return browser_name_from_prog_id(prog_id);
}

BOOL CDownloadErrorHelpDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    m_white = CreateSolidBrush(RGB(255, 255, 255));
    m_edit_back = CreateSolidBrush(kAddressBack);

    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOANIMATE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip)
        SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);

    m_headline.attach(item(kHeadline));
    m_headline.set_background(0xFFFFFFFF);
    m_headline.set_font_name(L"맑은 고딕");
    m_headline.set_text(kHeadlineText);

    std::wstring code_text = error_text(m_error_code);
    if (code_text.empty())
        code_text = L"unknown error";
    m_error_line.attach(item(kErrorLine));
    m_error_line.set_background(0xFFFFFFFF);
    m_error_line.set_font_name(L"맑은 고딕");
    m_error_line.set_font_size(10);
    m_error_line.set_plain_text(format_text(L"에러코드 : %d %s", m_error_code, code_text.c_str()), kCrimson);

    m_explanation.attach(item(kExplanation));
    m_explanation.set_background(0xFFFFFFFF);
    m_explanation.set_font_name(L"맑은 고딕");
    m_explanation.set_line_spacing(1.5f);
    m_explanation.set_text(kExplanationText);

    SetDlgItemTextW(m_hwnd, kHttpUrl, help_http_address(m_host, m_path).c_str());
    SetDlgItemTextW(m_hwnd, kHttpsUrl, help_https_address(m_host, m_path).c_str());

    int image_id = browser_image_id(default_browser_name());
    RECT button{};
    GetClientRect(item(kOpenHttp), &button);
    int side = std::max(8, static_cast<int>(std::min(button.right, button.bottom)) - scale(4));
    m_button_image = load_png_bitmap(static_cast<UINT>(image_id), side, side);
    const struct {
        int id;
        const wchar_t* tip;
    } buttons[] = {{kOpenHttp, L"80 포트로 기본 브라우저에서 열기"}, {kOpenHttps, L"443 포트로 기본 브라우저에서 열기"}};
    for (const auto& b : buttons) {
        HWND h = item(b.id);
        if (m_button_image)
            SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_button_image));
        if (m_tooltip) {
            TOOLINFOW ti{};
            ti.cbSize = sizeof(ti);
            ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            ti.hwnd = m_hwnd;
            ti.uId = reinterpret_cast<UINT_PTR>(h);
            ti.lpszText = const_cast<wchar_t*>(b.tip);
            SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    CenterWindow();
    return TRUE;
}

bool CDownloadErrorHelpDlg::PreTranslateMessage(MSG* msg)
{
    if (m_tooltip) {
        MSG relay = *msg;
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    return false;
}

void CDownloadErrorHelpDlg::OnCancel()
{
    // Only the OK button closes the help.
}

void CDownloadErrorHelpDlg::open_address(int edit_id)
{
    wchar_t address[2048] = {};
    GetDlgItemTextW(m_hwnd, edit_id, address, static_cast<int>(std::size(address)));
    ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

bool CDownloadErrorHelpDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == kOpenHttp) {
        open_address(kHttpUrl);
        return true;
    }
    if (id == kOpenHttps) {
        open_address(kHttpsUrl);
        return true;
    }
    return false;
}

bool CDownloadErrorHelpDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT rc = client_rect();
        FillRect(reinterpret_cast<HDC>(wp), &rc, m_white);
        result = 1;
        return true;
    }
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<LRESULT>(m_white);
        return true;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        int id = GetDlgCtrlID(control);
        if (id == kHttpUrl || id == kHttpsUrl) {
            SetTextColor(dc, kRoyalBlue);
            SetBkColor(dc, kAddressBack);
            result = reinterpret_cast<LRESULT>(m_edit_back);
        } else {
            SetBkColor(dc, RGB(255, 255, 255));
            result = reinterpret_cast<LRESULT>(m_white);
        }
        return true;
    }
    default:
        return false;
    }
}

void show_download_error_help(HWND parent, std::int32_t error_code, const std::wstring& host, const std::wstring& path)
{
    CDownloadErrorHelpDlg dlg(parent);
    dlg.m_error_code = error_code;
    dlg.m_host = host;
    dlg.m_path = path;
    dlg.DoModal();
}
