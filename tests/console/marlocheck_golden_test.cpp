// What the program writes, compared with golden files recorded from the real
// program: the console's lines, the JSON file and, from the archive,
// check_result.txt, the listings and the front page. Times, durations, port
// numbers, temporary paths and the machine's own figures are replaced by
// placeholders before the comparison; everything else must match to the byte.
//
// A change that alters an output on purpose records the files again in the same
// commit: VANTU_GOLDEN_RECORD=1 scripts/ctest-wine -R marlocheck_golden_test
#include "console/marlocheck_test_support.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace {

using namespace console_test;

std::wstring golden_folder()
{
    return wine_path(from_utf8(VANTU_GOLDEN_DIR));
}

bool recording()
{
    return !env(L"VANTU_GOLDEN_RECORD").empty();
}

void replace_all(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The text with everything that differs from run to run replaced.
std::string normalised(std::string text, const std::vector<std::pair<std::wstring, std::string>>& paths)
{
    replace_all(text, "\r\n", "\n");
    for (const auto& [path, name] : paths) {
        std::string escaped = to_utf8(path);
        replace_all(escaped, "\\", "\\\\");
        replace_all(text, escaped, name); // as JSON writes it
        replace_all(text, to_utf8(path), name);
    }
    // Every port the test server listens on.
    for (const wchar_t* name : {L"VANTU_TS_HTTP_PORT", L"VANTU_TS_TQS_OK_PORT", L"VANTU_TS_TQS_OK_ONCE_PORT",
                                L"VANTU_TS_CLOSED_PORT", L"VANTU_TS_PLAIN_PORT", L"VANTU_TS_TQS_WRONG_COMMAND_PORT"}) {
        const std::string port = to_utf8(env(name));
        if (!port.empty())
            text = std::regex_replace(text, std::regex("\\b" + port + "\\b"), "<" + to_utf8(name).substr(9) + ">");
    }
    static const std::pair<const char*, const char*> rules[] = {
        {R"(\d{4}-\d{2}-\d{2}[ T]\d{2}:\d{2}:\d{2})", "<time>"},
        {R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}(\.\d+)?)", "<time>"},
        {R"(\d{14})", "<stamp>"},
        {R"(\b\d+ms\b)", "<n>ms"},
        {R"(\b\d+ ms\b)", "<n> ms"},
        {R"x("(ms|longest_ms|total_ms|lookup_ms)":\d+)x", "\"$1\":<n>"},
        {R"(elapsed = -?\d+)", "elapsed = <n>"},
        // The machine's own figures.
        {R"((version|built time|memory|disk C:\\) : [^\n]*)", "$1 : <machine>"},
        // The local end of a connection (the server's ports are named above).
        {R"((127\*\*\*\*1):\d+)", "$1:<local port>"},
        // A passed item's colour and its attempt bars follow its speed.
        {R"x(style="color:#[0-9A-F]{6}">Ok<)x", "style=\"color:<speed>\">Ok<"},
        {R"x(fill="#(007F00|20A5DA|507FFF|00008B)")x", "fill=\"<speed>\""},
        {R"x(y="[0-9.]+" width="14" height="[0-9.]+")x", "y=\"<n>\" width=\"14\" height=\"<n>\""},
        // Columns padded around the figures above.
        {R"(  +)", "  "},
    };
    for (const auto& [pattern, replacement] : rules)
        text = std::regex_replace(text, std::regex(pattern), replacement);
    return text;
}

// Compares with (or, when recording, writes) tests/console/golden/<name>.
void expect_golden(const std::string& name, const std::string& actual)
{
    const std::wstring path = golden_folder() + L"\\" + from_utf8(name);
    if (recording()) {
        archive_test::write_file(path, actual);
        return;
    }
    const std::string expected = archive_test::read_file(path);
    ASSERT_FALSE(expected.empty()) << "no golden file " << name << "; record it (VANTU_GOLDEN_RECORD=1)";
    if (expected == actual)
        return;
    std::istringstream e(expected), a(actual);
    std::string el, al;
    int line = 1;
    while (std::getline(e, el) && std::getline(a, al) && el == al)
        ++line;
    // A JSON file is one long line: show the stretch around the first difference.
    size_t at = 0;
    while (at < el.size() && at < al.size() && el[at] == al[at])
        ++at;
    const size_t from = at > 160 ? at - 160 : 0;
    ADD_FAILURE() << name << " differs from its golden file at line " << line << ", column " << at + 1
                  << ":\n  golden: ..." << el.substr(from, 400) << "\n  now:    ..." << al.substr(from, 400);
}

// The text of one entry of the archive (the first whose name ends in `suffix`).
std::string archive_entry(const archive_test::ZipView& zip, const std::string& suffix)
{
    for (const archive_test::ZipEntryView& e : zip.entries)
        if (e.name.size() >= suffix.size() && e.name.compare(e.name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return e.data;
    ADD_FAILURE() << "no entry " << suffix;
    return std::string();
}

// The connection's proxy settings go into the JSON and the report. A fresh prefix
// has none until some program writes them, so which tests ran before would
// decide the output: the test sets them as on a PC with a direct connection.
class MarlocheckGolden : public ConsoleServerTest {
protected:
    void SetUp() override
    {
        ConsoleServerTest::SetUp();
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const DWORD direct = 0;
        const LONG set = RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&direct),
                                        sizeof direct);
        RegDeleteValueW(key, L"ProxyServer");
        RegDeleteValueW(key, L"AutoConfigURL");
        RegCloseKey(key);
        ASSERT_EQ(set, ERROR_SUCCESS);
    }
};

} // namespace

TEST_F(MarlocheckGolden, ARunWithEveryVerdictAndItsSave)
{
    // A product with a file of each kind the listing shows, and logs.
    const std::wstring agent = scratch / L"Agent";
    archive_test::write_file(agent + L"\\agent.cfg", "mode=1\r\n");
    archive_test::write_file(agent + L"\\CrashHandler_20261208.log", "crash\r\n");
    const std::wstring agent_log = scratch / L"Logs\\Agent";
    archive_test::write_file(agent_log + L"\\agent.log", "agent line\r\n");
    // Passed, unstable (the second and third attempts are refused), failed by
    // the handshake, failed to connect, a plain connect, and a web item's 404.
    serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + ", " +
                                   entry(L"VANTU_TS_TQS_OK_ONCE_PORT") + ", " +
                                   entry(L"VANTU_TS_TQS_WRONG_COMMAND_PORT") + "],\n"
                                   " \"gateway\": [" + entry(L"VANTU_TS_CLOSED_PORT") + ", " +
                                   entry(L"VANTU_TS_PLAIN_PORT") + "],\n"
                                   " \"web\": [" + entry(L"VANTU_TS_HTTP_PORT") + "]",
                               agent_log, L"", agent));
    const std::wstring json = scratch / L"results.json";
    const RunResult r = run_marlocheck(web_host_option() + L" --json \"" + json + L"\" --save");
    ASSERT_EQ(r.status, 1u) << r.out << r.err;
    ASSERT_FALSE(r.lines.empty());
    const std::wstring archive = from_utf8(r.lines.back());
    const std::wstring work = archive.substr(0, archive.rfind(L'\\'));
    const std::vector<std::pair<std::wstring, std::string>> paths{{work, "<work>"}, {scratch.path(), "<scratch>"}};

    expect_golden("every-verdict-console.txt", normalised(r.out, paths));
    expect_golden("every-verdict-results.json", normalised(archive_test::read_file(json), paths));
    const archive_test::ZipView zip = archive_test::read_zip(archive);
    ASSERT_TRUE(zip.ok);
    std::string names;
    for (const std::string& n : zip.names())
        names += n + "\n";
    expect_golden("every-verdict-entries.txt", normalised(names, paths));
    // The report's sections from the run; the machine's diagnostics between
    // them differ from machine to machine and are left out.
    const std::string report = normalised(archive_entry(zip, "check_result.txt"), paths);
    const size_t machine = report.find("[Directory Auth]");
    const size_t table = report.find("[Server Check Result]");
    ASSERT_NE(machine, std::string::npos);
    ASSERT_NE(table, std::string::npos);
    const size_t table_end = report.find("\n[", table + 1);
    const size_t diagnosis = report.find("[Server Diagnosis]");
    std::string run_sections = report.substr(0, machine) +
                               report.substr(table, table_end == std::string::npos ? std::string::npos : table_end - table);
    if (diagnosis != std::string::npos)
        run_sections += "\n" + report.substr(diagnosis);
    expect_golden("every-verdict-check_result.txt", run_sections);
    expect_golden("every-verdict-fileinfo_agent_app.txt", normalised(archive_entry(zip, "fileinfo_agent_app.txt"), paths));
    // The front page's table of items (the machine's sections around it differ).
    const std::string page = normalised(archive_entry(zip, "report.html"), paths);
    const size_t items = page.find("<table class=\"items\"");
    ASSERT_NE(items, std::string::npos) << page;
    const size_t items_end = page.find("</table>", items);
    ASSERT_NE(items_end, std::string::npos);
    expect_golden("every-verdict-report-items.html", page.substr(items, items_end + 8 - items) + "\n");
    DeleteFileW(archive.c_str());
}

TEST_F(MarlocheckGolden, AStoppedRun)
{
    // Four slow web items: each answered after three seconds.
    const std::string web = entry(L"VANTU_TS_HTTP_PORT");
    serve_checklist(check_list(" \"web\": [" + web + ", " + web + ", " + web + ", " + web + "]"));
    server_call(L"/__control/rule?path=/&status=200&body=ok&times=30&delay_ms=3000", L"POST");
    const std::wstring json = scratch / L"stopped.json";
    Marlocheck m;
    ASSERT_TRUE(m.start(web_host_option() + L" --json \"" + json + L"\"", true));
    // The account item is printed once the first web item is under way.
    ASSERT_TRUE(wait_until([&] { return m.out_lines().size() >= 1; }, kRunLimitMs)) << m.out() << m.err();
    ASSERT_TRUE(send_ctrl_c(m.pid()));
    ASSERT_TRUE(m.finish());
    ASSERT_EQ(m.exit_code(), 3u) << m.out() << m.err();
    const std::vector<std::pair<std::wstring, std::string>> paths{{scratch.path(), "<scratch>"}};
    expect_golden("stopped-console.txt", normalised(m.out(), paths));
    expect_golden("stopped-results.json", normalised(archive_test::read_file(json), paths));
}
