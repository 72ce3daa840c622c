// marlocheck --save --redact under Wine: a product whose logs (UTF-8, UTF-16LE,
// code page 949) hold personal values gives an archive that the host's own
// readers accept, with no original value left in any entry or inner entry, the
// look-alikes kept, one pseudonym per value across files, and the record in the
// manifest and on the front page; --redact-archive does the same afterwards and
// refuses an archive that is not ours.
#include "console/marlocheck_test_support.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cctype>

namespace {

using namespace console_test;
using testing::HasSubstr;
using testing::Not;

const char kUtf8Log[] =
    "2026-12-10 08:30:00 start ver 10.0.19045.1 session {6F9619FF-8B86-D011-B42D-00C04FC964FF} local 127.0.0.1:8080\r\n"
    "peer 10.20.30.40 mail kim.minsu@example.co.kr\r\n"
    "rrn 900101-1234567 phone 010-1234-5678 card 4111 1111 1111 1111\r\n"
    "password=hunter2\r\n";
// "접속 " and "사용자 " in code page 949.
const char kCp949Connect[] = "\xC1\xA2\xBC\xD3 ";
const char kCp949User[] = "\xBB\xE7\xBF\xEB\xC0\xDA ";

const char* const kOriginals[] = {"10.20.30.40", "kim.minsu@example.co.kr", "900101-1234567", "010-1234-5678",
                                  "4111 1111 1111 1111", "hunter2"};
const char* const kLookAlikes[] = {"ver 10.0.19045.1", "2026-12-10 08:30:00", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
                                   "127.0.0.1:8080"};

// Entries of the redacted save and of --redact-archive alike, " > " before an inner entry.
const std::vector<std::string> kRedactedEntries = {
    "report.html", "check_result.txt", "fileinfo_agent_app.txt", "systeminfo.txt", "tasklist.txt",
    "network_info.txt", "eventlog.txt", "Agent_CrashHandler_20261210.log", "Vantu_log.zip",
    "Vantu_log.zip > old/", "Vantu_log.zip > old/wide.log", "Vantu_log.zip > agent.log",
    "Vantu_log_viewer.zip", "Vantu_log_viewer.zip > viewer.log", "manifest.json"};

std::string utf16le(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string user_name()
{
    wchar_t name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? to_utf8(name) : "";
}

struct Entry
{
    std::string name, data;
};

// Every entry, and every entry of the archives inside, with its bytes.
std::vector<Entry> entries_of(const std::wstring& archive, const std::wstring& scratch)
{
    std::vector<Entry> all;
    const archive_test::ZipView view = archive_test::read_zip(archive);
    EXPECT_TRUE(view.ok) << to_utf8(archive);
    for (const archive_test::ZipEntryView& e : view.entries) {
        EXPECT_TRUE(e.crc_ok) << e.name;
        all.push_back({e.name, e.data});
        if (e.name.size() > 4 && e.name.compare(e.name.size() - 4, 4, ".zip") == 0) {
            const std::wstring inner = scratch + L"\\inner.zip";
            archive_test::write_file(inner, e.data);
            for (const archive_test::ZipEntryView& i : archive_test::read_zip(inner).entries)
                all.push_back({e.name + " > " + i.name, i.data});
            DeleteFileW(inner.c_str());
        }
    }
    return all;
}

std::vector<std::string> names_of(const std::vector<Entry>& entries)
{
    std::vector<std::string> names;
    for (const Entry& e : entries)
        names.push_back(e.name);
    return names;
}

const std::string& data_of(const std::vector<Entry>& entries, const std::string& name)
{
    static const std::string none;
    for (const Entry& e : entries)
        if (e.name == name)
            return e.data;
    ADD_FAILURE() << "no entry " << name;
    return none;
}

std::string unix_path(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unix_name ? unix_name(path.c_str()) : nullptr;
    const std::string out = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

// unzip -t, 7z t, Python's zipfile and tools/verify-manifest on the archive, the
// first three on each inner archive, one line each. Wine may report a Unix
// program's end before its work is done, so the lines are waited for in a file.
std::string host_readers_on(const std::wstring& archive, const archive_test::ScratchFolder& scratch)
{
    const std::string script =
        "z=$1; src=$2; out=$3; t=$(mktemp -d)\n"
        "zf() { /usr/bin/python3 -c 'import zipfile,sys; print(\"zipfile\", zipfile.ZipFile(sys.argv[1]).testzip())' \"$1\"; }\n"
        "{\n"
        "  unzip -tqq \"$z\" >/dev/null 2>&1; echo \"unzip $?\"\n"
        "  7z t \"$z\" >/dev/null 2>&1; echo \"7z $?\"\n"
        "  zf \"$z\"\n"
        "  /usr/bin/python3 \"$src/tools/verify-manifest\" \"$z\" >/dev/null 2>&1; echo \"verify-manifest $?\"\n"
        "  unzip -qq \"$z\" '*.zip' -d \"$t\"\n"
        "  for i in \"$t\"/*.zip; do\n"
        "    unzip -tqq \"$i\" >/dev/null 2>&1; a=$?; 7z t \"$i\" >/dev/null 2>&1; b=$?\n"
        "    echo \"${i##*/} unzip $a 7z $b $(zf \"$i\")\"\n"
        "  done\n"
        "} >\"$out.part\" 2>&1\n"
        "rm -rf \"$t\"; mv \"$out.part\" \"$out\"\n";
    const std::wstring script_file = scratch / L"readers.sh";
    const std::wstring result = scratch / L"readers.txt";
    archive_test::write_file(script_file, script);
    DeleteFileW(result.c_str());
    std::wstring command = L"sh \"" + from_utf8(unix_path(script_file)) + L"\" \"" + from_utf8(unix_path(archive)) +
                           L"\" \"" + env(L"VANTU_SOURCE_DIR") + L"\" \"" + from_utf8(unix_path(result)) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "sh did not start";
    const bool done = wait_until([&] { return archive_test::exists(result); }, kRunLimitMs);
    end_process(pi);
    return done ? archive_test::read_file(result) : "the readers did not finish";
}

const char kReadersAccept[] = "unzip 0\n7z 0\nzipfile None\nverify-manifest 0\n"
                              "Vantu_log.zip unzip 0 7z 0 zipfile None\n"
                              "Vantu_log_viewer.zip unzip 0 7z 0 zipfile None\n";

class MarlocheckRedact : public ConsoleServerTest
{
protected:
    void SetUp() override
    {
        ConsoleServerTest::SetUp();
        user = user_name();
        ASSERT_FALSE(user.empty());
        const std::string profile = "profile C:\\Users\\" + user + "\\AppData\\Local\\Vantu\\agent.cfg\r\n";
        archive_test::write_file(scratch / L"Agent\\CrashHandler_20261210.log", "crash at 10.20.30.40\r\n");
        archive_test::write_file(scratch / L"Logs\\Agent\\agent.log", kUtf8Log + profile);
        archive_test::write_file(scratch / L"Logs\\Agent\\old\\wide.log",
                                 "\xFF\xFE" + utf16le("peer 10.20.30.40 mail kim.minsu@example.co.kr\r\n" + profile +
                                                      "at 2026-12-10 08:30:00 ver 10.0.19045.1\r\n"));
        archive_test::write_file(scratch / L"Logs\\Viewer\\viewer.log",
                                 std::string(kCp949Connect) + "10.20.30.40 " + kCp949User + "010-1234-5678 password=hunter2\r\n");
        serve_checklist(check_list(" \"session\": [" + entry(L"VANTU_TS_TQS_OK_PORT") + "]", scratch / L"Logs\\Agent",
                                   scratch / L"Logs\\Viewer", scratch / L"Agent"));
    }

    // A save's archive, copied into the scratch folder and removed from the work folder.
    std::wstring save(const std::wstring& options, const std::wstring& copy_name)
    {
        const RunResult r = run_marlocheck(web_host_option() + L" --save" + options);
        EXPECT_FALSE(r.lines.empty()) << r.out << r.err;
        const std::wstring made = r.lines.empty() ? L"" : from_utf8(r.lines.back());
        const std::wstring copy = scratch / copy_name;
        EXPECT_TRUE(CopyFileW(made.c_str(), copy.c_str(), FALSE)) << r.out << r.err;
        DeleteFileW(made.c_str());
        last_name = made.substr(made.rfind(L'\\') + 1);
        return copy;
    }

    std::string user;
    std::wstring last_name;
};

} // namespace

TEST_F(MarlocheckRedact, NoOriginalValueInAnyEntryLookAlikesKeptAndTheRecordSaysSo)
{
    const std::wstring archive = save(L" --redact", L"redacted.zip");
    EXPECT_EQ(last_name.size() - 13, last_name.rfind(L"_redacted.zip")) << to_utf8(last_name);
    EXPECT_EQ(kReadersAccept, host_readers_on(archive, scratch));

    const std::vector<Entry> all = entries_of(archive, scratch.path());
    EXPECT_EQ(kRedactedEntries, names_of(all));
    std::string everything;
    for (const Entry& e : all) {
        const std::string data = lower(e.data);
        for (const char* original : kOriginals) {
            EXPECT_THAT(data, Not(HasSubstr(original))) << e.name;
            EXPECT_THAT(data, Not(HasSubstr(utf16le(original)))) << e.name;
        }
        for (const std::string& path : {"users\\" + lower(user) + "\\", "users/" + lower(user) + "/"}) {
            EXPECT_THAT(data, Not(HasSubstr(path))) << e.name;
            EXPECT_THAT(data, Not(HasSubstr(utf16le(path)))) << e.name;
        }
        everything += e.data;
    }

    const std::string& agent = data_of(all, "Vantu_log.zip > agent.log");
    for (const char* kept : kLookAlikes)
        EXPECT_THAT(agent, HasSubstr(kept));
    EXPECT_THAT(agent, HasSubstr("rrn [RRN-1] phone [PHONE-1] card [CARD-1]\r\npassword=[SECRET-1]\r\n"
                                 "profile C:\\Users\\[USER-1]\\AppData\\Local\\Vantu\\agent.cfg\r\n"));
    // The address's pseudonym, whatever its number, is the same in the other three files.
    const std::size_t at = agent.find("peer [IP-");
    ASSERT_NE(std::string::npos, at);
    const std::string ip = agent.substr(at + 5, agent.find(']', at) - at - 4);
    EXPECT_THAT(agent, HasSubstr("peer " + ip + " mail [EMAIL-1]\r\n"));
    EXPECT_EQ("\xFF\xFE" + utf16le("peer " + ip + " mail [EMAIL-1]\r\nprofile C:\\Users\\[USER-1]\\AppData\\Local\\"
                                   "Vantu\\agent.cfg\r\nat 2026-12-10 08:30:00 ver 10.0.19045.1\r\n"),
              data_of(all, "Vantu_log.zip > old/wide.log"));
    EXPECT_EQ(std::string(kCp949Connect) + ip + " " + kCp949User + "[PHONE-1] password=[SECRET-1]\r\n",
              data_of(all, "Vantu_log_viewer.zip > viewer.log"));
    EXPECT_EQ("crash at " + ip + "\r\n", data_of(all, "Agent_CrashHandler_20261210.log"));
    // A switch of the report's own, though its name ends in a key word.
    EXPECT_THAT(data_of(all, "check_result.txt"), HasSubstr("FilterAdministratorToken   : 0 "));

    const std::string& manifest = data_of(all, "manifest.json");
    EXPECT_THAT(manifest, HasSubstr("\"redacted\": true"));
    EXPECT_THAT(manifest, HasSubstr("\"email\": 2,\n   \"rrn\": 1,\n   \"phone\": 2,\n   \"card\": 1,"));
    EXPECT_THAT(manifest, HasSubstr("\"secret\": 2\n  }"));
    EXPECT_THAT(manifest, HasSubstr("\"encoding\": \"utf-16le\""));
    EXPECT_THAT(manifest, HasSubstr("\"encoding\": \"ansi-949\""));

    // The front page's first line, right after <body>, names the kinds replaced.
    const std::string& page = data_of(all, "report.html");
    const std::size_t note = page.find("<body><div id=\"redaction\"");
    ASSERT_NE(std::string::npos, note);
    const std::string line = page.substr(note, page.find("</div>", note) - note);
    EXPECT_THAT(line, HasSubstr(to_utf8(L"개인정보 가림: 이 보관 파일의 개인정보는 가명으로 바뀌었습니다 "
                                        L"(personal data replaced by pseudonyms). 바뀐 값 ")));
    EXPECT_THAT(line, HasSubstr("EMAIL 2, RRN 1, PHONE 2, CARD 1, USER "));
    EXPECT_THAT(line, HasSubstr(", SECRET 2), "));
}

TEST_F(MarlocheckRedact, RedactArchiveGivesTheRedactedSavesEntriesAndRefusesAForeignZip)
{
    const std::wstring plain = save(L"", L"plain.zip");
    EXPECT_EQ(std::wstring::npos, last_name.find(L"_redacted"));
    const std::vector<Entry> before = entries_of(plain, scratch.path());
    EXPECT_THAT(data_of(before, "manifest.json"), HasSubstr("\"redacted\": false"));
    EXPECT_THAT(data_of(before, "Vantu_log.zip > agent.log"), HasSubstr("peer 10.20.30.40 mail"));

    const std::wstring after = scratch / L"after.zip";
    RunResult r = run_marlocheck(L"--redact-archive \"" + plain + L"\" \"" + after + L"\"");
    EXPECT_EQ(0u, r.status) << r.err;
    EXPECT_EQ(to_utf8(after) + "\r\n", r.out);
    EXPECT_EQ(kReadersAccept, host_readers_on(after, scratch));
    const std::vector<Entry> all = entries_of(after, scratch.path());
    EXPECT_EQ(kRedactedEntries, names_of(all));
    for (const Entry& e : all)
        for (const char* original : kOriginals)
            EXPECT_THAT(lower(e.data), Not(HasSubstr(original))) << e.name;
    EXPECT_THAT(data_of(all, "manifest.json"), HasSubstr("\"redacted_afterwards_from\""));

    // An inner log archive is a ZIP without a manifest: not ours.
    const std::wstring foreign = scratch / L"foreign.zip";
    archive_test::write_file(foreign, data_of(before, "Vantu_log.zip"));
    r = run_marlocheck(L"--redact-archive \"" + foreign + L"\" \"" + (scratch / L"out.zip") + L"\"");
    EXPECT_EQ(4u, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("marlocheck: foreign.zip: not an archive of this tool (it has no manifest.json); nothing written.\r\n",
              r.err);
    EXPECT_FALSE(archive_test::exists(scratch / L"out.zip"));
}
