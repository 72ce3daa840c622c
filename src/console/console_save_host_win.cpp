#include "console/console_save_host_win.h"

ConsoleSaveHost::ConsoleSaveHost(ConsoleOutput& output, std::future<void>& diagnostics, const DiagTexts& texts)
    : m_output(output), m_diagnostics(diagnostics), m_texts(texts)
{
}

const DiagTexts& ConsoleSaveHost::wait_for_diagnostics()
{
    if (m_diagnostics.valid())
        m_diagnostics.wait();
    return m_texts;
}

void ConsoleSaveHost::show_message(const std::wstring& text)
{
    m_output.err(text);
}

bool ConsoleSaveHost::show_archive(const std::wstring&)
{
    // The caller prints the path once the save has ended.
    return false;
}
