// Helpers of the archive tests: a scratch folder, files with chosen contents and
// times, running the host's archive readers, reading archives back, and the
// product and window that the whole save is given.
#pragma once

#include "diag/archive/save_logs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace archive_test {

// A fresh folder below the system's temporary folder, removed at the end.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::wstring& path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const;

private:
    std::wstring m_path;
};

void write_file(const std::wstring& path, const std::string& bytes);
std::string read_file(const std::wstring& path);
void make_folder(const std::wstring& path);
bool exists(const std::wstring& path);
#ifndef _WIN32
// Sets the last-write and last-access time (Unix seconds).
void set_times(const std::wstring& path, std::int64_t modified, std::int64_t accessed);

struct CommandResult
{
    int exit_code = -1;
    std::string output;
};
CommandResult run(const std::string& command);
std::string narrow(const std::wstring& path);
#endif

} // namespace archive_test

namespace archive_test {

// An independent reading of an archive's central directory, with every entry's
// data inflated and checked against its CRC.
struct ZipEntryView
{
    std::string name; // raw bytes
    unsigned flags = 0;
    unsigned method = 0;
    std::uint32_t external = 0;
    std::uint16_t dos_time = 0;
    std::uint16_t dos_date = 0;
    std::string data;
    bool crc_ok = false;
};
// Empty with ok=false when the archive cannot be read.
struct ZipView
{
    bool ok = false;
    std::vector<ZipEntryView> entries;
    std::vector<std::string> names() const;
};
ZipView read_zip(const std::wstring& path);

} // namespace archive_test

namespace archive_test {

// A product installed in the scratch folder, as the whole save is given it: the
// folders Agent, AgentWeb and Viewer, logs in Logs/Agent and Logs/Viewer, the
// product's four processes and the work folder Work; no report rows.
SaveLogsInput installed_product(const ScratchFolder& scratch);

// The window's side of the whole save, recorded: the owner disabled and enabled,
// hidden, the messages shown and the archives shown in Explorer.
class RecordingHost : public SaveLogsHost
{
public:
    // Whether asking for the diagnostics is recorded in `calls` as "wait".
    enum class Waits { Recorded, NotRecorded };
    explicit RecordingHost(Waits waits = Waits::Recorded) : m_waits(waits) {}

    void set_owner_enabled(bool enabled) override { calls.push_back(enabled ? "enable" : "disable"); }
    const DiagTexts& wait_for_diagnostics() override
    {
        if (m_waits == Waits::Recorded)
            calls.push_back("wait");
        return texts;
    }
    void step() override { ++steps; }
    void reset_and_hide() override { calls.push_back("hide"); }
    void show_message(const std::wstring& text) override { messages.push_back(text); }
    bool show_archive(const std::wstring& path) override
    {
        shown.push_back(path);
        return true;
    }

    DiagTexts texts;
    std::vector<std::string> calls;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> shown;
    int steps = 0;

private:
    Waits m_waits;
};

} // namespace archive_test
