#include "app/marlo_check_tool_dlg_win.h"

#include "app/about_dlg_win.h"
#include "check/channel/blastsock.h"
#include "check/http/checklist_download.h"
#include "common/log.h"
#include "common/text_convert.h"
#include "common/text_file_platform.h"
#include "diag/archive/product_identity.h"
#include "diag/collect/diagnostics.h"
#include "pages/download_error_help_win.h"
#include "steps/check_list_source.h"
#include "framework/centre_window_win.h"
#include "framework/message_pump_win.h"
#include "framework/resources_win.h"
#include "resource.h"
#include "widgets/theme/gdi_helpers_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <windowsx.h>

#ifndef VANTU_WEB_HOST
#define VANTU_WEB_HOST "www.vantu.co.kr"
#endif

namespace {

const wchar_t kStartText[] = L"진단 시작";
const wchar_t kExitQuestion[] = L"시스템 진단툴을 종료합니다.";
const wchar_t kCompletedNotice[] =
    L"\n모든 체크가 완료되었습니다.\n\n로그 저장 버튼을 클릭하여 진단로그 및\n원격관련 로그파일을 수집할 수 있습니다.\n\n";
const wchar_t kCancelledText[] = L"사용자에 의해 진단이 취소되었습니다.";
const wchar_t kNoFailuresText[] = L"진단 실패 항목이 없습니다.";
const wchar_t kWaitText[] =
    L"시스템 정보 및 로그를 수집중입니다.\n\n수집이 완료되면 윈도우 탐색기가 실행되며\n해당 파일을 확인할 수 있습니다.";
const UINT kNoRowsFormat = 9;
const std::uint32_t kGrey = 0xFF696969;

std::wstring builtin_web_host()
{
    return from_utf8(VANTU_WEB_HOST);
}

} // namespace

CMarloCheckToolDlg::CMarloCheckToolDlg(HWND parent)
    : CSCThemeDlg(IDD_MARLOCHECKTOOL_DIALOG, parent), m_web_host(builtin_web_host()), m_run(this)
{
    m_listener = this;
    // The server checks report key-exchange and handshake failures through it.
    m_run.m_listener = m_listener;
}

CMarloCheckToolDlg::~CMarloCheckToolDlg()
{
    // Nothing a worker writes may go away before the worker has ended.
    wait_for_workers();
    if (m_diag_future.valid())
        m_diag_future.wait();
    set_unreadable_file_reporter(nullptr);
}

void CMarloCheckToolDlg::set_web_host(const std::wstring& host, int port)
{
    m_web_host = host;
    m_web_port = port;
}

void CMarloCheckToolDlg::DoDataExchange()
{
    m_tab.attach(item(IDC_TAB));
    m_start_button.attach(item(IDC_START_BUTTON));
    m_save_button.attach(item(IDC_SAVE_BUTTON));
    m_progress.attach(item(IDC_PROGRESS));
    m_list_title.attach(item(IDC_LIST_TITLE));
    m_steps.attach(item(IDC_STEPS));
    m_animation.attach(item(IDC_ANIMATION));
}

BOOL CMarloCheckToolDlg::OnInitDialog()
{
    set_resizable(false);
    CSCThemeDlg::OnInitDialog();

    std::wstring about = load_string(IDS_ABOUTBOX);
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (menu && !about.empty()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }

    m_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SetIcon(m_icon, true);
    SetIcon(m_icon, false);

    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    m_com.emplace();

    SetWindowLongPtrW(m_hwnd, GWL_STYLE, GetWindowLongPtrW(m_hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    set_system_buttons({SC_MINIMIZE, SC_CLOSE});

    m_run.m_server_kinds = default_server_kinds();
    centre_window(m_hwnd, GetWindow(m_hwnd, GW_OWNER));

    m_product_name = kProductName;
    CSCTheme theme = default_theme();
    theme.font_size = 10;
    set_theme(theme);
    apply_frame_attributes();
    m_product_processes = product_processes();

    init_controls();
    m_start_button.enable(false);
    SetTimer(TIMER_START_DOWNLOAD, 1);
    PostMessageW(m_hwnd, WM_FINISH_START_UP, 0, 0);
    return TRUE;
}

void CMarloCheckToolDlg::finish_start_up()
{
    if (m_start_up_finished)
        return;
    m_start_up_finished = true;
    // The posted message comes before the first WM_PAINT, which waits for an
    // empty queue: paint now so that the user sees the window, not its frame.
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    create_later_pages();
    // A file the diagnostics cannot open (the hosts file held by a scanner) is
    // told in the program's own box on this thread, where a save's wait window
    // cannot cover it, instead of a system box on the diagnostics thread.
    set_unreadable_file_reporter([this](const std::wstring& path) {
        SCLOG(3, L"%s cannot be opened: it may be in use by another process", path.c_str());
        if (!m_closing)
            show_over_wait_window(unreadable_file_message(path));
    });
    m_diag_future = std::async(std::launch::async, [this] { collect_diagnostics(m_diag_texts); });
}

void CMarloCheckToolDlg::create_page(CDiagPage& page)
{
    page.set_colours(theme().back, RGB(64, 64, 64));
    page.create(m_tab.hwnd());
}

void CMarloCheckToolDlg::create_later_pages()
{
    if (m_result_page.exists())
        return;
    // Hidden: until they exist only the log page can have been chosen, and
    // show_page shows the one that is chosen next.
    for (CDiagPage* page : {static_cast<CDiagPage*>(&m_result_page), static_cast<CDiagPage*>(&m_error_code_page)}) {
        create_page(*page);
        page->show(false);
    }
    layout_pages();
    add_result_tip();
}

void CMarloCheckToolDlg::init_controls()
{
    const CSCTheme& t = theme();

    m_tooltip.create(m_hwnd, scale(420), 20000);

    m_tab.insert_item(0, L"진단 로그");
    m_tab.insert_item(1, L"진단 결과");
    m_tab.insert_item(2, L"에러 코드");
    m_tab.set_item_size(scale(500), scale(24));
    m_tab.set_min_tab_width(scale(100));
    m_tab.set_back_colour(t.back);
    m_tab.set_colours(t.tab_back, t.tab_hot, t.accent, t.text, 0xFFFFFF);

    // The two hidden pages come once the window is shown (finish_start_up).
    create_page(m_log_page);
    layout_pages();
    show_page(0);

    m_progress.set_colours(0xFFFFFF, t.accent);
    m_progress.set_hide_at_end(false);

    m_list_title.set_font_name(t.font_name);
    m_list_title.set_font_size(13);
    m_list_title.set_text_colour(argb(t.text));
    m_list_title.set_background(argb(t.back));
    m_list_title.set_text(L"<b>진단 리스트</b>");

    for (CGdiButton* b : {&m_start_button, &m_save_button}) {
        b->set_colours(t.accent, 0xFFFFFF, t.accent_hot, t.accent_down);
        b->set_text_font(12, 400);
    }
    m_save_button.set_disabled_colours(colorref_from_argb(0xFF808080), t.disabled_text);
    m_tooltip.add(m_start_button.hwnd(), L"각 체크항목의 검사를 시작합니다. 검사 도중에도 취소할 수 있습니다.");
    m_tooltip.add(m_save_button.hwnd(),
                L"검사 완료 후 검사 결과 및 원격제어 관련 파일정보 등을 압축파일로 저장합니다.\n저장이 완료되면 윈도우 "
                L"탐색기로 표시됩니다.");

    if (m_animation.load(L"GIF", IDR_GIF_CHECKING, t.back) && m_animation.is_running())
        m_animation.pause();

    StepColours steps;
    steps.background = argb(t.back);
    steps.text_done = argb(t.text);
    steps.text_current = argb(t.accent);
    steps.text_pending = 0xFF8A94A3;
    steps.marker_done = argb(t.accent);
    steps.marker_current = 0xFFFF8C00;
    steps.marker_pending = 0xFFBEC6D2;
    m_steps.set_theme_colours(steps);
    m_steps.set_font(t.font_name, t.font_size, t.font_weight());

    m_progress_dlg.create(m_hwnd, kWaitText, 320, 120);
    m_progress_dlg.set_topmost(true);
    centre_window(m_progress_dlg.hwnd(), m_hwnd);

    m_message_box.create(m_hwnd, m_product_name + L" Check Tool", IDR_MAINFRAME);

    int icon_size = scale(20);
    m_caption_icon.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, icon_size, icon_size, 0)));
    set_caption_icon(m_caption_icon.get());
    set_text(m_product_name + L" Check Tool (ver. " + version_value(L"FileVersion") + L")");
}

void CMarloCheckToolDlg::layout_pages()
{
    if (!m_tab.exists())
        return;
    RECT client = m_tab.client_rect();
    RECT tab0 = m_tab.item_rect(0);
    int x = client.left;
    int y = (tab0.bottom - tab0.top) + client.top + 2;
    RECT rc{x, y, client.right, client.bottom};
    for (CDialogEx* page : {static_cast<CDialogEx*>(&m_log_page), static_cast<CDialogEx*>(&m_result_page),
                            static_cast<CDialogEx*>(&m_error_code_page)})
        if (page->exists())
            page->move(rc, true);
}

void CMarloCheckToolDlg::show_page(int index)
{
    if (index != 0)
        create_later_pages();
    if (m_tab.get_cur_sel() != index)
        m_tab.set_cur_sel(index);
    m_log_page.show(index == 0);
    m_result_page.show(index == 1);
    m_error_code_page.show(index == 2);
}

void CMarloCheckToolDlg::on_tab_changed()
{
    show_page(m_tab.get_cur_sel());
}

void CMarloCheckToolDlg::OnSize(UINT type, int cx, int cy)
{
    CSCThemeDlg::OnSize(type, cx, cy);
    if (m_tab.exists())
        layout_pages();
}

bool CMarloCheckToolDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        track_result_tip(msg);
        m_tooltip.relay(*msg);
    }
    if (m_log_page.exists() && (msg->hwnd == m_log_page.hwnd() || IsChild(m_log_page.hwnd(), msg->hwnd)) &&
        m_log_page.PreTranslateMessage(msg))
        return true;
    return CSCThemeDlg::PreTranslateMessage(msg);
}

void CMarloCheckToolDlg::OnTimer(UINT_PTR id)
{
    if (id != TIMER_START_DOWNLOAD)
        return;
    KillTimer(TIMER_START_DOWNLOAD);
    if (m_download_running)
        return;
    if (m_download_thread.joinable())
        m_download_thread.join();
    m_download_running = true;
    m_download_thread = std::thread([this] {
        download_checklist();
        m_download_running = false;
    });
}

void CMarloCheckToolDlg::download_checklist()
{
    ::download_checklist(m_checklist_request, m_web_host, m_web_port);
    if (m_hwnd)
        PostMessageW(m_hwnd, WM_CHECKLIST_READY, 0, 0);
}

bool CMarloCheckToolDlg::init_check_list()
{
    finish_start_up();
    // Both lists are emptied before the document is read, so a rejected list
    // leaves no rows of an earlier one behind its message.
    m_result_page.m_list.clear();
    // The parser reads the bytes as received; m_text went through the ANSI code
    // page and is only what the messages quote (the console takes the same step).
    const CheckListSource list = check_list_from_download(m_checklist_request);
    InitCheckListResult result = m_run.init_check_list(list.body_utf8, list.shown_text);
    if (!result.ok) {
        // A list without a required path also takes the wait window away first.
        if (result.error == CheckListError::missing_path)
            m_progress_dlg.show_window(false);
        m_message_box.show(result.message, MB_OK);
        return false;
    }
    return true;
}

void CMarloCheckToolDlg::on_checklist_ready()
{
    if (m_download_thread.joinable())
        m_download_thread.join();
    SCLOG(0, L"request_url : %s", m_checklist_request.describe().c_str());
    if (m_closing)
        return;
    if (m_checklist_request.m_status == 200) {
        if (init_check_list())
            m_start_button.enable(true);
        else
            EndDialog(IDCANCEL);
        return;
    }
    ShowWindow(m_hwnd, SW_HIDE);
    show_download_error_help(m_hwnd, m_checklist_request.m_status, m_checklist_request.m_host,
                             m_checklist_request.m_path);
    EndDialog(IDCANCEL);
}

void CMarloCheckToolDlg::OnOK()
{
    // Enter: a disabled start button means no list yet or a stop under way.
    if (m_start_button.enabled())
        on_start_button();
}

bool CMarloCheckToolDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED && code != 0)
        return false;
    switch (id) {
    case IDC_START_BUTTON:
        if (m_start_button.enabled())
            on_start_button();
        return true;
    case IDC_SAVE_BUTTON:
        if (m_save_button.enabled())
            on_save_log();
        return true;
    default:
        return false;
    }
}

bool CMarloCheckToolDlg::OnNotify(NMHDR* header, LRESULT& result)
{
    if (header && answer_result_tip(header)) {
        result = 0;
        return true;
    }
    if (header && header->idFrom == IDC_TAB && header->code == TCN_SELCHANGE) {
        on_tab_changed();
        result = 0;
        return true;
    }
    return false;
}

void CMarloCheckToolDlg::stop_check_and_wait(bool busy_display)
{
    if (busy_display)
        m_progress.set_busy(true);
    // Disabled before the worker is told: a worker that ends at once enables
    // the button again, and must not be overtaken by this.
    m_start_button.enable(false);
    m_run.m_checking = false;
    pump_messages_until([this] { return m_run.m_check_done.load(); }, 1000);
}

void CMarloCheckToolDlg::on_start_button()
{
    if (m_run.m_checking) {
        if (m_animation.is_loaded() && m_animation.is_animated() && m_animation.is_running())
            m_animation.pause();
        stop_check_and_wait(false);
        return;
    }
    // A worker that is finishing its last screen updates after a stop is let
    // finish first: one run at a time.
    pump_messages_until([this] { return !m_check_running; }, 100);
    if (m_check_thread.joinable())
        m_check_thread.join();

    show_page(0);
    m_steps.reset_colours();
    m_run.reset_check_list_view();
    m_result_page.m_list.clear();
    m_check_running = true;
    m_check_thread = std::thread([this] {
        thread_check();
        m_check_running = false;
    });
}

void CMarloCheckToolDlg::thread_check()
{
    m_run.thread_check();
}

void CMarloCheckToolDlg::OnCancel()
{
    if (m_closing)
        return;
    // A worker that has only just started raises its flags a moment later; let
    // it, so that the stop below reaches it instead of missing it.
    pump_messages_until([this] { return !m_check_running || !m_run.m_check_done; }, 20);
    if (m_run.m_checking) {
        stop_check_and_wait(true);
        if (m_animation.is_loaded() && m_animation.is_animated()) {
            m_animation.pause();
            m_animation.stop();
        }
        m_start_button.set_text(kStartText);
        m_start_button.enable(true);
    }
    if (m_message_box.show(kExitQuestion, MB_OKCANCEL) == IDCANCEL)
        return;
    m_closing = true;
    ShowWindow(m_hwnd, SW_HIDE);
    m_run.close_channel();
    wait_for_workers();
    CSCThemeDlg::OnCancel();
}

void CMarloCheckToolDlg::wait_for_workers()
{
    pump_messages_until(
        [this] {
            // Asked again on every slice: a worker that is still starting up
            // raises m_checking once more before it looks at it.
            m_run.m_checking = false;
            return !m_download_running && !m_save_running && !m_check_running;
        },
        100);
    // A finished check worker may still be posting its last message; it sends nothing more.
    if (m_check_thread.joinable())
        m_check_thread.join();
    if (m_download_thread.joinable())
        m_download_thread.join();
    if (m_save_thread.joinable())
        m_save_thread.join();
}

void CMarloCheckToolDlg::on_check_finished(WPARAM completed, LPARAM failed_items)
{
    if (m_check_thread.joinable())
        m_check_thread.join();
    if (m_closing)
        return;
    // The run's last changes are on screen before any notice about it.
    m_log_page.m_list.flush_repaint();
    m_steps.flush_repaint();
    if (!completed) {
        m_result_page.m_list.set_no_rows_text(kCancelledText, kNoRowsFormat, kGrey);
        // The list's name carries the notice too, for screen readers and UI automation.
        SetWindowTextW(m_result_page.m_list.hwnd(), kCancelledText);
        return;
    }
    SetWindowTextW(m_result_page.m_list.hwnd(), failed_items == 0 ? kNoFailuresText : L"");
    m_save_button.enable(true);
    fill_result_page();
    collect_result_causes();
    if (failed_items == 0)
        m_result_page.m_list.set_no_rows_text(kNoFailuresText, kNoRowsFormat, kGrey);
    m_message_box.show(kCompletedNotice, MB_ICONINFORMATION, 10);
}

void CMarloCheckToolDlg::on_save_log()
{
    if (m_save_running)
        return;
    if (m_save_thread.joinable())
        m_save_thread.join();
    centre_window(m_progress_dlg.hwnd(), m_hwnd);
    m_progress_dlg.show_window(true);
    m_save_running = true;
    m_save_thread = std::thread([this] {
        save_logs();
        m_save_running = false;
    });
}

void CMarloCheckToolDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(m_hwnd);
        about.DoModal();
    }
}

bool CMarloCheckToolDlg::OnPaint()
{
    if (IsIconic(m_hwnd)) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        SendMessageW(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        RECT rc = client_rect();
        DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_icon);
        EndPaint(m_hwnd, &ps);
        return true;
    }
    return CSCThemeDlg::OnPaint();
}

bool CMarloCheckToolDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == IDM_ABOUTBOX) {
            OnSysCommand(static_cast<UINT>(wp), lp);
            result = 0;
            return true;
        }
        return false;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_icon);
        return true;
    case WM_CHECK_FINISHED:
        on_check_finished(wp, lp);
        result = 0;
        return true;
    case WM_FINISH_START_UP:
        finish_start_up();
        result = 0;
        return true;
    case WM_CHECKLIST_READY:
        on_checklist_ready();
        result = 0;
        return true;
    default:
        return CSCThemeDlg::OnMessage(msg, wp, lp, result);
    }
}

void CMarloCheckToolDlg::on_session_message(int, const std::wstring&) {}
void CMarloCheckToolDlg::on_session_event(int event, int value)
{
    // Called on the check worker; the log is the only reader of these events.
    SCLOG(0, L"session event %d (%d)", event, value);
}
void CMarloCheckToolDlg::on_session_closed() {}
void CMarloCheckToolDlg::on_session_progress(int) {}
