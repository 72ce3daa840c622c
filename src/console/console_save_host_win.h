// The console's side of saving the logs: no window to disable or step, messages
// go to standard error, and the archive's path is printed rather than shown in
// Explorer (nobody may be at the screen).
#pragma once

#include "console/console_output_win.h"
#include "diag/archive/save_logs.h"

#include <future>

class ConsoleSaveHost : public SaveLogsHost
{
public:
    ConsoleSaveHost(ConsoleOutput& output, std::future<void>& diagnostics, const DiagTexts& texts);

    void set_owner_enabled(bool) override {}
    const DiagTexts& wait_for_diagnostics() override;
    void step() override {}
    void reset_and_hide() override {}
    void show_message(const std::wstring& text) override;
    bool show_archive(const std::wstring& archive_path) override;

private:
    ConsoleOutput& m_output;
    std::future<void>& m_diagnostics;
    const DiagTexts& m_texts;
};
