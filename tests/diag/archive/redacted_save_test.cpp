// Redacted saves in the native tree: personal values gone from every entry and
// inner archive, look-alikes kept, one pseudonym per value across files, files
// that are not text left out, the record in the manifest; redacting an earlier
// archive afterwards, and the archives it refuses.
#include "archive_test_support.h"

#include "diag/archive/archive_redaction.h"
#include "diag/archive/base64.h"
#include "diag/archive/redact_archive.h"
#include "diag/archive/save_logs.h"
#include "diag/archive/zip_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace archive_test;
using testing::HasSubstr;
using testing::Not;

namespace {

const std::string kSeeded =
    "2025-05-02 14:03:09 connect peer=203.0.113.7 user kim.minsu@example.com\r\n"
    "rrn 900101-1234567 phone 010-1234-5678 card 4111 1111 1111 1111\r\n"
    "profile C:\\Users\\minsu\\AppData\\Local\\Vantu version 10.0.19045.1\r\n"
    "session {6F9619FF-8B86-D011-B42D-00C04FC964FF} host VANTU-PC\r\n";

const char* const kOriginals[] = {"203.0.113.7", "kim.minsu@example.com", "900101-1234567", "010-1234-5678",
                                  "4111 1111 1111 1111", "minsu", "VANTU-PC"};

std::string utf16le(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

std::string source_dir()
{
    const char* s = std::getenv("VANTU_SOURCE_DIR");
    return s ? s : ".";
}

// Every entry's bytes of the archive and of the archives inside it, by Python's zipfile.
std::string every_entry(const std::wstring& zip)
{
    const std::string script =
        "import zipfile,io,sys\n"
        "def walk(z,p):\n"
        "  for i in z.infolist():\n"
        "    d=z.read(i)\n"
        "    sys.stdout.buffer.write(b'== '+(p+i.filename).encode()+b'\\n'+d+b'\\n')\n"
        "    if i.filename.endswith('.zip'): walk(zipfile.ZipFile(io.BytesIO(d)),p+i.filename+'/')\n"
        "walk(zipfile.ZipFile(sys.argv[1]),'')\n";
    write_file(L"/tmp/redact_walk.py", script);
    return run("python3 /tmp/redact_walk.py '" + narrow(zip) + "'").output;
}

struct Seeded
{
    explicit Seeded(const ScratchFolder& s)
    {
        input = installed_product(s);
        input.redact_names.users = {"minsu"};
        input.redact_names.hosts = {"VANTU-PC"};
        write_file(s / L"Agent/CrashHandler_20250502.log", "crash at 203.0.113.7\r\n");
        write_file(s / L"Logs/Agent/agent.log", kSeeded);
        write_file(s / L"Logs/Agent/minsu/wide.log", "\xFF\xFE" + utf16le("peer 203.0.113.7 mail kim.minsu@example.com\r\n") + "\x41");
        write_file(s / L"Logs/Agent/picture.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
        write_file(s / L"Logs/Viewer/viewer.log", "viewer 010-1234-5678\n");
        host.texts.systeminfo_text = L"Host Name: VANTU-PC\nIP: 203.0.113.7\n";
        host.texts.network_text = L"[ipconfig /all]\nIPv4 203.0.113.7\n\n";
        host.texts.tasklist_text = L"Image Name\nVantuHostSvr.exe\n";
    }
    SaveLogsInput input;
    RecordingHost host;
};

} // namespace

TEST(RedactedSave, NoOriginalValueLeftAnywhereAndLookAlikesKept)
{
    ScratchFolder scratch;
    Seeded seeded(scratch);
    seeded.input.redact = true;
    const SaveLogsOutcome out = save_logs(seeded.input, seeded.host);
    ASSERT_TRUE(out.archive_created);
    EXPECT_EQ(out.archive_path.size() - 13, out.archive_path.rfind(L"_redacted.zip"));
    const std::string zip = narrow(out.archive_path);
    EXPECT_EQ(0, run("unzip -t '" + zip + "'").exit_code);
    const CommandResult seven = run("7z t '" + zip + "'");
    EXPECT_EQ(0, seven.exit_code) << seven.output;
    const CommandResult verified = run("python3 '" + source_dir() + "/tools/verify-manifest' '" + zip + "'");
    EXPECT_EQ(0, verified.exit_code) << verified.output;

    const std::string all = every_entry(out.archive_path);
    ASSERT_THAT(all, HasSubstr("== Vantu_log.zip/agent.log"));
    for (const char* original : kOriginals) {
        EXPECT_THAT(all, Not(HasSubstr(original))) << original;
        EXPECT_THAT(all, Not(HasSubstr(utf16le(original)))) << original;
    }
    // The folder named after the user is renamed inside the inner archive.
    EXPECT_THAT(all, HasSubstr("== Vantu_log.zip/[USER-1]/wide.log"));
    // Look-alikes stay.
    EXPECT_THAT(all, HasSubstr("version 10.0.19045.1"));
    EXPECT_THAT(all, HasSubstr("2025-05-02 14:03:09"));
    EXPECT_THAT(all, HasSubstr("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
    // One pseudonym per value in every file: the address is [IP-1] in the inner
    // log, the crash log, the network text and the UTF-16 log.
    EXPECT_THAT(all, HasSubstr("peer=[IP-1] user [EMAIL-1]"));
    EXPECT_THAT(all, HasSubstr("crash at [IP-1]"));
    EXPECT_THAT(all, HasSubstr("IPv4 [IP-1]"));
    EXPECT_THAT(all, HasSubstr(utf16le("peer [IP-1] mail [EMAIL-1]\r\n") + "\x41"));
    EXPECT_THAT(all, HasSubstr("viewer [PHONE-1]"));
    EXPECT_THAT(all, HasSubstr("rrn [RRN-1] phone [PHONE-1] card [CARD-1]"));

    // systeminfo.txt keeps its form: Base64 of the redacted text, a zero byte.
    EXPECT_EQ(base64_encode("Host Name: [HOST-1]\nIP: [IP-1]\n") + std::string(1, '\0'),
              run("unzip -p '" + zip + "' systeminfo.txt").output);

    // The picture is not text: left out and said so.
    EXPECT_THAT(all, Not(HasSubstr("picture.png\n")));
    const std::string manifest = run("unzip -p '" + zip + "' manifest.json").output;
    EXPECT_THAT(manifest, HasSubstr("\"redacted\": true"));
    EXPECT_THAT(manifest, HasSubstr("not text: left out of a redacted archive"));
    EXPECT_THAT(manifest, HasSubstr("\"encoding\": \"utf-16le\""));
    EXPECT_THAT(manifest, HasSubstr("\"ansi_code_page\": 949"));
    // The front page says so at its top.
    const std::string page = run("unzip -p '" + zip + "' report.html").output;
    const std::size_t note = page.find("개인정보 가림");
    ASSERT_NE(std::string::npos, note);
    EXPECT_LT(note, page.find("<header>"));
    EXPECT_THAT(page, HasSubstr("IP 5"));
}

TEST(RedactedSave, AnUnredactedSaveSaysSoAndKeepsItsName)
{
    ScratchFolder scratch;
    Seeded seeded(scratch);
    const SaveLogsOutcome out = save_logs(seeded.input, seeded.host);
    ASSERT_TRUE(out.archive_created);
    EXPECT_EQ(std::wstring::npos, out.archive_path.find(L"_redacted"));
    const std::string zip = narrow(out.archive_path);
    EXPECT_THAT(run("unzip -p '" + zip + "' manifest.json").output, HasSubstr("\"redacted\": false"));
    EXPECT_THAT(every_entry(out.archive_path), HasSubstr("peer=203.0.113.7"));
}

TEST(RedactArchive, AfterTheFactGivesTheEntriesOfARedactedSave)
{
    ScratchFolder plain_scratch, redacted_scratch;
    Seeded plain(plain_scratch), redacted(redacted_scratch);
    const SaveLogsOutcome unredacted = save_logs(plain.input, plain.host);
    redacted.input.redact = true;
    const SaveLogsOutcome saved = save_logs(redacted.input, redacted.host);
    ASSERT_TRUE(unredacted.archive_created && saved.archive_created);

    const std::wstring after = plain_scratch / L"after.zip";
    const RedactArchiveResult r = redact_archive(unredacted.archive_path, after, plain.input.redact_names);
    ASSERT_TRUE(r.ok) << narrow(r.error);
    EXPECT_EQ(0, run("unzip -t '" + narrow(after) + "'").exit_code);
    const CommandResult verified = run("python3 '" + source_dir() + "/tools/verify-manifest' '" + narrow(after) + "'");
    EXPECT_EQ(0, verified.exit_code) << verified.output;

    const std::string list_script = "import zipfile,io,sys\n"
                                    "z=zipfile.ZipFile(sys.argv[1])\n"
                                    "for n in z.namelist():\n"
                                    "  print(n)\n"
                                    "  if n.endswith('.zip'):\n"
                                    "    [print(n+'/'+m) for m in zipfile.ZipFile(io.BytesIO(z.read(n))).namelist()]\n";
    write_file(L"/tmp/redact_list.py", list_script);
    EXPECT_EQ(run("python3 /tmp/redact_list.py '" + narrow(saved.archive_path) + "'").output,
              run("python3 /tmp/redact_list.py '" + narrow(after) + "'").output);
    const std::string all = every_entry(after);
    for (const char* original : kOriginals)
        EXPECT_THAT(all, Not(HasSubstr(original))) << original;
    EXPECT_THAT(all, HasSubstr("peer=[IP-1] user [EMAIL-1]"));
    EXPECT_THAT(all, HasSubstr("\"redacted_afterwards_from\""));
    EXPECT_THAT(all, HasSubstr("개인정보 가림"));
}

TEST(RedactArchive, RefusesWhatItDidNotMakeAndDamagedArchives)
{
    ScratchFolder scratch;
    write_file(scratch / L"note.txt", "hello 203.0.113.7");
    run("cd '" + narrow(scratch.path()) + "' && zip -q foreign.zip note.txt");
    RedactArchiveResult r = redact_archive(scratch / L"foreign.zip", scratch / L"out.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(L"foreign.zip: not an archive of this tool (it has no manifest.json); nothing written.", r.error);
    EXPECT_FALSE(exists(scratch / L"out.zip"));

    write_file(scratch / L"text.zip", "not an archive at all");
    r = redact_archive(scratch / L"text.zip", scratch / L"out.zip");
    EXPECT_EQ(L"text.zip: not a ZIP archive; nothing written.", r.error);

    // A saved archive cut in the middle of its data, its directory kept.
    Seeded seeded(scratch);
    const SaveLogsOutcome out = save_logs(seeded.input, seeded.host);
    ASSERT_TRUE(out.archive_created);
    std::string bytes = read_file(out.archive_path);
    for (std::size_t i = 200; i < 400; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    write_file(scratch / L"damaged.zip", bytes);
    r = redact_archive(scratch / L"damaged.zip", scratch / L"out.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_THAT(r.error, testing::HasSubstr(L"damaged"));
    EXPECT_FALSE(exists(scratch / L"out.zip"));
}

TEST(RedactArchive, RefusesAnInnerArchiveThatExpandsAThousandfold)
{
    ScratchFolder scratch;
    Seeded seeded(scratch);
    const SaveLogsOutcome out = save_logs(seeded.input, seeded.host);
    ASSERT_TRUE(out.archive_created);
    // The inner archive swapped for one whose 200 MB of zeros pack into about 200 KB.
    const std::string script = "import zipfile,sys\n"
                               "src=zipfile.ZipFile(sys.argv[1]); dst=zipfile.ZipFile(sys.argv[2],'w')\n"
                               "for i in src.infolist():\n"
                               "  if i.filename=='Vantu_log.zip':\n"
                               "    import io; b=io.BytesIO(); z=zipfile.ZipFile(b,'w',zipfile.ZIP_DEFLATED)\n"
                               "    z.writestr('big.log', bytes(200*1024*1024)); z.close(); dst.writestr(i.filename,b.getvalue())\n"
                               "  else: dst.writestr(i, src.read(i))\n"
                               "dst.close()\n";
    write_file(scratch / L"bomb.py", script);
    const CommandResult made = run("python3 '" + narrow(scratch / L"bomb.py") + "' '" + narrow(out.archive_path) +
                                   "' '" + narrow(scratch / L"bomb.zip") + "'");
    ASSERT_EQ(0, made.exit_code) << made.output;
    const RedactArchiveResult r = redact_archive(scratch / L"bomb.zip", scratch / L"out.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(L"bomb.zip: in the inner archive Vantu_log.zip, big.log an entry expands more than a thousandfold "
              L"(refused as a possible ZIP bomb); nothing written.",
              r.error);
    EXPECT_FALSE(exists(scratch / L"out.zip"));
}

TEST(RedactedSave, TheFrontPagesNoteCountsThePagesOwnValues)
{
    ScratchFolder scratch;
    Seeded seeded(scratch);
    seeded.input.redact = true;
    // Left out as not text, so the page lists its path, the user's folder in it.
    write_file(scratch / L"Logs/Agent/minsu/photo.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const SaveLogsOutcome out = save_logs(seeded.input, seeded.host);
    ASSERT_TRUE(out.archive_created);
    const std::string zip = narrow(out.archive_path);
    const std::string page = run("unzip -p '" + zip + "' report.html").output;
    const std::string manifest = run("unzip -p '" + zip + "' manifest.json").output;
    EXPECT_THAT(page, HasSubstr("[USER-1]/photo.png"));
    EXPECT_THAT(manifest, HasSubstr("\"user\": 3,\n   \"host\": 2,\n   \"secret\": 0\n  }"));
    EXPECT_THAT(manifest, HasSubstr("\"files_changed\": 8,"));
    EXPECT_THAT(page, HasSubstr("USER 3, HOST 2), " + std::string("\xED\x8C\x8C\xEC\x9D\xBC") + " 8"));
}
