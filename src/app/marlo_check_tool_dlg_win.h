// The main dialog: owns the run-time state (check list, channel, diagnostics,
// pages, controls), downloads the check list, runs and stops check runs and
// shows their results.
#pragma once

#include "check/channel/session_event_listener.h"
#include "common/gdi_owners_win.h"
#include "check/http/http_request.h"
#include "check/run/check_run.h"
#include "check/run/check_run_view.h"
#include "diag/collect/diag_texts.h"
#include "pages/diag_page_win.h"
#include "widgets/markup_static_win.h"
#include "widgets/message_box_win.h"
#include "widgets/step_ctrl_win.h"
#include "widgets/tool_tip_win.h"
#include "widgets/theme/en_tab_ctrl_win.h"
#include "widgets/theme/gdi_button_win.h"
#include "widgets/theme/gif_picture_win.h"
#include "widgets/theme/mac_progress_ctrl_win.h"
#include "widgets/theme/sc_progress_dlg_win.h"
#include "widgets/theme/sc_theme_dlg_win.h"

#include <atomic>
#include <deque>
#include <future>
#include <optional>
#include <string>
#include <thread>

constexpr UINT WM_CHECK_FINISHED = WM_USER + 10;
constexpr UINT WM_CHECKLIST_READY = WM_USER + 11;
// Posted at the end of the dialog's initialisation: what can wait until the
// window is on screen (the two hidden pages, the background diagnostics).
constexpr UINT WM_FINISH_START_UP = WM_USER + 12;
constexpr UINT_PTR TIMER_START_DOWNLOAD = 9998;

class CMarloCheckToolDlg : public CSCThemeDlg, public CSessionEventListener, private CheckRunView {
public:
    explicit CMarloCheckToolDlg(HWND parent = nullptr);
    ~CMarloCheckToolDlg() override;

    // Where the check list comes from (set before DoModal; default: the built-in host, port 80).
    void set_web_host(const std::wstring& host, int port);

    // COM for the window's thread from OnInitDialog on; declared first, so it
    // ends after everything else the dialog holds.
    std::optional<ComInitialisation> m_com;
    std::wstring m_product_name;
    std::deque<std::wstring> m_product_processes;
    std::wstring m_service_name;
    std::wstring m_web_host;
    int m_web_port = 80;
    HttpRequest m_checklist_request;
    CSCProgressDlg m_progress_dlg;
    CSCMessageBox m_message_box;
    CSCToolTip m_tooltip;
    // Cause lines of the result page's rows, in its order, and the tip's text.
    std::vector<std::wstring> m_result_causes;
    std::wstring m_result_tip_text;
    int m_result_tip_row = -1;
    CDiagLogDlg m_log_page;
    CDiagResultDlg m_result_page;
    CDiagErrorCodeDlg m_error_code_page;
    CSessionEventListener* m_listener = nullptr;
    DiagTexts m_diag_texts;
    std::future<void> m_diag_future;
    HICON m_icon = nullptr;
    OwnedIcon m_caption_icon;
    CEnTabCtrl m_tab;
    CGdiButton m_start_button;
    CGdiButton m_save_button;
    CMacProgressCtrl m_progress;
    CSCStatic m_list_title;
    CSCStepCtrl m_steps;
    // The animated picture: a player of its own with start, pause and stop.
    CGifPicture m_animation;

    // The check list, the check functions, the channel and the stop flags
    // (m_checking, m_check_done) live in the run engine.
    CCheckRun m_run;

    void download_checklist();
    // Paints the window first, then creates the result and error-code pages and
    // starts the background diagnostics; once only, from whichever needs it first.
    void finish_start_up();
    void create_later_pages();
    void create_page(CDiagPage& page);
    bool m_start_up_finished = false;
    bool init_check_list();
    void thread_check();

    // CSessionEventListener, handed to the run engine (m_run.m_listener): the
    // channel's notices have no reader in this dialog, so they go to the log
    // rather than being posted as messages that the dialog manager would read as
    // DM_SETDEFID / DM_REPOSITION.
    void on_session_message(int code, const std::wstring& text) override;
    void on_session_event(int event, int value) override;
    void on_session_closed() override;
    void on_session_progress(int value) override;

    bool PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;
    void OnCancel() override;  // also reached through the caption's close button (CSCThemeDlg::on_system_button)
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnPaint() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void init_controls();
    void layout_pages();
    void on_tab_changed();
    void on_start_button();
    void on_save_log();
    // Body of the log-saving thread.
    void save_logs();
    // The message box from any thread, shown on the window's thread; the wait
    // window, which is topmost, steps aside while it is up.
    int show_over_wait_window(const std::wstring& text);
    // One row per failed or partly failed item of the last run.
    void fill_result_page();
    void on_checklist_ready();
    void on_check_finished(WPARAM completed, LPARAM failed_items);
    void OnSysCommand(UINT id, LPARAM lp);
    // Stops a running check and waits for its worker while dispatching messages.
    void stop_check_and_wait(bool busy_display);
    // Waits, dispatching messages, for every worker thread before the dialog goes.
    void wait_for_workers();
    void show_page(int index);
    // The result page's tip: a row's cause line.
    void add_result_tip();
    void collect_result_causes();
    int result_row_at(POINT screen) const;
    bool answer_result_tip(NMHDR* header);
    void track_result_tip(const MSG* msg);

    // CheckRunView on the dialog's controls.
    void set_step_count(int count) override;
    void set_current_step(int line) override;
    void set_step_text(int line, const std::wstring& text, OptionalColour text_colour) override;
    void set_step_colour(int line, OptionalColour marker_colour) override;
    void set_progress_range(int lower, int upper) override;
    void set_progress_position(int position) override;
    void set_progress_busy(bool busy) override;
    void show_progress(bool show) override;
    void set_start_button_text(const std::wstring& text) override;
    void enable_start_button(bool enable) override;
    void enable_save_button(bool enable) override;
    void start_animation() override;
    void pause_animation() override;
    void clear_log_rows() override;
    int add_log_row(const std::wstring& columns) override;
    void begin_log_rows() override;
    void refresh_log_rows() override;
    int log_row_count() override;
    std::wstring log_cell(int row, int column) override;
    void set_log_cell(int row, int column, const std::wstring& text) override;
    void set_log_cell_text_colour(int row, int column, std::uint32_t colour) override;
    void set_log_row_text_colour(int row, std::uint32_t colour) override;
    void ensure_log_row_visible(int row) override;
    void post_check_finished(bool completed, int failed_items) override;

    std::thread m_download_thread;
    std::thread m_check_thread;
    std::thread m_save_thread;
    // The user has confirmed the exit: late results of workers are not shown any more.
    bool m_closing = false;
    std::atomic<bool> m_check_running{false};
    std::atomic<bool> m_download_running{false};
    std::atomic<bool> m_save_running{false};
};
