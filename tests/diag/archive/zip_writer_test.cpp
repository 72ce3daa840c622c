// The ZIP writer's archives, checked by the host's own readers: Info-ZIP unzip,
// 7-Zip and Python's zipfile.
#include "archive_test_support.h"

#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_records.h"
#include "diag/archive/zip_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

using namespace vantu::zip;
using namespace archive_test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// Python's view of every entry, one line each, fields separated by tabs.
const char* const kInspector = R"PY(
import sys, zipfile, zlib, struct
z = zipfile.ZipFile(sys.argv[1])
raw = open(sys.argv[1], 'rb').read()
print('TESTZIP', z.testzip())
for i in z.infolist():
    name = i.filename.encode('utf-8') if i.flag_bits & 0x800 else i.filename.encode('cp437')
    data = z.read(i)
    off = i.header_offset
    nlen, xlen = struct.unpack('<HH', raw[off+26:off+30])
    lextra = raw[off+30+nlen:off+30+nlen+xlen]
    lver = struct.unpack('<H', raw[off+4:off+6])[0]
    print('\t'.join([name.hex(), '%x' % i.flag_bits, str(i.compress_type), '%08x' % i.CRC,
        '%08x' % (zlib.crc32(data) & 0xffffffff), '%04d-%02d-%02d %02d:%02d:%02d' % i.date_time,
        '%08x' % i.external_attr, i.extra.hex(), lextra.hex(), str(i.file_size), '%x' % (i.create_system << 8 | i.create_version),
        str(i.extract_version), str(lver), data.hex() if len(data) < 64 else '-']))
)PY";

struct Entry
{
    std::string name; // raw bytes
    unsigned flags = 0;
    int method = -1;
    std::string crc, data_crc, date_time, external, central_extra, local_extra;
    std::uint64_t size = 0;
    std::string made_by;
    int needed = 0;
    int local_needed = 0;
    std::string data_hex;
};

std::string unhex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hex(const std::string& bytes)
{
    static const char* d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(d[c >> 4]);
        out.push_back(d[c & 15]);
    }
    return out;
}

struct Inspection
{
    std::string testzip;
    std::vector<Entry> entries;
    std::string raw_output;
};

Inspection inspect(const ScratchFolder& scratch, const std::wstring& archive)
{
    const std::wstring script = scratch / L"inspect.py";
    write_file(script, kInspector);
    const CommandResult r = run("python3 '" + narrow(script) + "' '" + narrow(archive) + "'");
    Inspection result;
    result.raw_output = r.output;
    std::istringstream lines(r.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("TESTZIP ", 0) == 0) {
            result.testzip = line.substr(8);
            continue;
        }
        std::vector<std::string> f;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t'))
            f.push_back(field);
        if (f.size() == 13)
            f.push_back(std::string());
        if (f.size() != 14)
            continue;
        Entry e;
        e.name = unhex(f[0]);
        e.flags = std::stoul(f[1], nullptr, 16);
        e.method = std::stoi(f[2]);
        e.crc = f[3];
        e.data_crc = f[4];
        e.date_time = f[5];
        e.external = f[6];
        e.central_extra = f[7];
        e.local_extra = f[8];
        e.size = std::stoull(f[9]);
        e.made_by = f[10];
        e.needed = std::stoi(f[11]);
        e.local_needed = std::stoi(f[12]);
        e.data_hex = f[13];
        result.entries.push_back(e);
    }
    return result;
}

const Entry* find(const Inspection& in, const std::string& name)
{
    for (const Entry& e : in.entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

// The Korean ANSI code page (949) as the Windows tree sees it, through iconv.
std::optional<std::string> cp949(const std::wstring& text)
{
    iconv_t cd = iconv_open("CP949", "WCHAR_T");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::wstring copy(text);
    char* in = reinterpret_cast<char*>(copy.data());
    size_t in_left = copy.size() * sizeof(wchar_t);
    std::string out(copy.size() * 4 + 4, '\0');
    char* o = out.data();
    size_t out_left = out.size();
    const size_t rc = iconv(cd, &in, &in_left, &o, &out_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

ZipOptions korean_options()
{
    ZipOptions options;
    options.encode_name = cp949;
    return options;
}

// 2021-03-04 05:06:08 UTC and a later access time.
constexpr std::int64_t kModified = 1614834368;
constexpr std::int64_t kAccessed = 1614900000;

std::string le32(std::uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

class ZipWriterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // DOS times must come from UTC whatever the local zone is.
        setenv("TZ", "Asia/Seoul", 1);
        tzset();
    }
    ScratchFolder scratch;
};

} // namespace

TEST_F(ZipWriterTest, ArchiveOfMixedEntriesPassesEveryReader)
{
    std::string log_text;
    for (int i = 0; i < 2000; ++i)
        log_text += "[2025-05-02 14:03:09] VantuHostSvr line " + std::to_string(i) + "\r\n";
    const std::wstring text = scratch / L"src/agent.log";
    write_file(text, log_text);
    set_times(text, kModified, kAccessed);
    const std::wstring inner = scratch / L"src/inner.ZIP";
    write_file(inner, "PK\x05\x06 not really compressed again");
    const std::wstring gz = scratch / L"src/old.log.gz";
    write_file(gz, "gzip bytes");
    const std::wstring empty = scratch / L"src/empty.txt";
    write_file(empty, "");
    const std::wstring readonly = scratch / L"src/readonly.txt";
    write_file(readonly, "do not touch");
    run("chmod 0444 '" + narrow(readonly) + "'");

    const std::wstring zip = scratch / L"out.zip";
    ZipArchivePtr archive = zip_create(zip, korean_options());
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipOk, zip_add_folder(archive.get(), L"logs", scratch / L"src"));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"logs\\agent.log", text));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"inner.ZIP", inner));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"old.log.gz", gz));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"empty.txt", empty));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"readonly.txt", readonly));
    EXPECT_EQ(kZipOk, zip_close(archive.get()));

    const CommandResult unzip = run("unzip -t '" + narrow(zip) + "'");
    EXPECT_EQ(0, unzip.exit_code) << unzip.output;
    EXPECT_THAT(unzip.output, HasSubstr("No errors detected"));
    const CommandResult seven = run("7z t '" + narrow(zip) + "'");
    EXPECT_EQ(0, seven.exit_code) << seven.output;
    EXPECT_THAT(seven.output, HasSubstr("Everything is Ok"));

    const Inspection in = inspect(scratch, zip);
    EXPECT_EQ("None", in.testzip) << in.raw_output;
    ASSERT_EQ(6u, in.entries.size()) << in.raw_output;
    // Entry order is the order of adding; names use "/".
    EXPECT_EQ("logs/", in.entries[0].name);
    EXPECT_EQ("logs/agent.log", in.entries[1].name);

    const Entry* log = find(in, "logs/agent.log");
    ASSERT_NE(nullptr, log);
    EXPECT_EQ(8, log->method);
    EXPECT_EQ(log->crc, log->data_crc);
    EXPECT_EQ(log_text.size(), log->size);
    EXPECT_EQ("2021-03-04 05:06:08", log->date_time);
    EXPECT_EQ("b17", log->made_by);
    EXPECT_EQ(20, log->needed);
    EXPECT_EQ(0u, log->flags);
    EXPECT_EQ("81800020", log->external) << "archive attribute, regular file, owner read and write";
    // Extended time stamps: three times in the local header, one in the directory.
    EXPECT_EQ(hex(std::string("UT\x05\x00\x07", 5) + le32(kModified)), log->central_extra);
    EXPECT_EQ(hex(std::string("UT\x0d\x00\x07", 5) + le32(kModified) + le32(kAccessed)), log->local_extra.substr(0, 26));
    EXPECT_EQ(34u, log->local_extra.size());

    for (const char* stored : {"inner.ZIP", "old.log.gz"}) {
        const Entry* e = find(in, stored);
        ASSERT_NE(nullptr, e) << stored;
        EXPECT_EQ(0, e->method) << stored;
        EXPECT_EQ(e->crc, e->data_crc);
    }
    const Entry* e = find(in, "empty.txt");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(0u, e->size);
    EXPECT_EQ("00000000", e->crc);

    const Entry* ro = find(in, "readonly.txt");
    ASSERT_NE(nullptr, ro);
    EXPECT_EQ("81000021", ro->external) << "read-only: no owner write permission";

    const Entry* folder = find(in, "logs/");
    ASSERT_NE(nullptr, folder);
    EXPECT_EQ(0, folder->method);
    EXPECT_EQ(0u, folder->size);
    EXPECT_EQ("41800010", folder->external);
}

TEST_F(ZipWriterTest, NamesInTheCodePageAreStoredThereOthersAsFlaggedUtf8)
{
    const std::wstring src = scratch / L"data.txt";
    write_file(src, "contents");
    const std::wstring korean = L"\xB85C\xADF8_\xC5D0\xC774\xC804\xD2B8.txt"; // 로그_에이전트.txt
    const std::wstring thai = L"\x0E01\x0E02_log.txt";                        // no form in code page 949
    std::wstring long_name;
    for (int i = 0; i < 30; ++i)
        long_name += L"\xD55C\xAE00";                                          // 한글, 120 bytes in 949
    long_name += L"_long_name.log";

    const std::wstring zip = scratch / L"names.zip";
    ZipArchivePtr archive = zip_create(zip, korean_options());
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), korean, src));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), thai, src));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), long_name, src));
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"plain.txt", src));
    EXPECT_EQ(kZipOk, zip_close(archive.get()));

    const Inspection in = inspect(scratch, zip);
    EXPECT_EQ("None", in.testzip) << in.raw_output;
    ASSERT_EQ(4u, in.entries.size()) << in.raw_output;
    EXPECT_EQ(*cp949(korean), in.entries[0].name);
    EXPECT_EQ(0u, in.entries[0].flags & 0x800);
    EXPECT_EQ(utf8_of(thai), in.entries[1].name);
    EXPECT_EQ(0x800u, in.entries[1].flags & 0x800);
    EXPECT_EQ(*cp949(long_name), in.entries[2].name);
    EXPECT_GT(in.entries[2].name.size(), 127u) << "long names are stored whole";
    EXPECT_EQ("plain.txt", in.entries[3].name);
    EXPECT_EQ(0u, in.entries[3].flags);
    for (const Entry& entry : in.entries)
        EXPECT_EQ(hex("contents"), entry.data_hex);

    const CommandResult seven = run("7z t '" + narrow(zip) + "'");
    EXPECT_EQ(0, seven.exit_code) << seven.output;
}

TEST_F(ZipWriterTest, ResultCodesForMisuseAndMissingSources)
{
    EXPECT_EQ(kZipBadArgument, zip_add_file(nullptr, L"a", L"b"));
    EXPECT_EQ(kZipBadArgument, zip_last_result());
    EXPECT_EQ(kZipBadArgument, zip_close(nullptr));

    EXPECT_FALSE(zip_create(scratch / L"no/such/folder/out.zip"));
    EXPECT_EQ(kZipBadArgument, zip_last_result());

    const std::wstring zip = scratch / L"codes.zip";
    ZipArchivePtr archive = zip_create(zip);
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipCannotOpenSource, zip_add_file(archive.get(), L"gone.log", scratch / L"gone.log"));
    EXPECT_EQ(kZipCannotOpenSource, zip_last_result());
    EXPECT_EQ(kZipCannotOpenSource, zip_add_file(archive.get(), L"folder", scratch.path()));
    EXPECT_EQ(kZipBadArgument, zip_add_folder(archive.get(), L""));
    const std::wstring ok = scratch / L"ok.txt";
    write_file(ok, "ok");
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"ok.txt", ok));
    EXPECT_EQ(kZipOk, zip_close(archive.get()));
    EXPECT_EQ(kZipAlreadyClosed, zip_close(archive.get()));
    EXPECT_EQ(kZipAlreadyClosed, zip_add_file(archive.get(), L"ok2.txt", ok));
    EXPECT_EQ(kZipAlreadyClosed, zip_last_result());

    // The failed additions left no trace: the archive holds the one good file.
    const Inspection in = inspect(scratch, zip);
    EXPECT_EQ("None", in.testzip) << in.raw_output;
    ASSERT_EQ(1u, in.entries.size());
    EXPECT_EQ("ok.txt", in.entries[0].name);
}

TEST_F(ZipWriterTest, ArchiveWithoutEntriesIsAValidEmptyZip)
{
    const std::wstring zip = scratch / L"empty.zip";
    ZipArchivePtr archive = zip_create(zip);
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipOk, zip_close(archive.get()));
    EXPECT_EQ(std::string("PK\x05\x06", 4) + std::string(18, '\0'), read_file(zip));
    const Inspection in = inspect(scratch, zip);
    EXPECT_EQ("None", in.testzip) << in.raw_output;
    EXPECT_TRUE(in.entries.empty());
}

namespace {

// A log its program keeps writing: more data arrives than the size at opening.
class GrowingSource : public SourceFile
{
public:
    GrowingSource()
    {
        stamp.size = 10;
        stamp.modified = stamp.accessed = stamp.created = kModified;
    }
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        got = std::min<std::size_t>(capacity, 4);
        std::fill_n(buffer, got, static_cast<unsigned char>('a' + (m_reads++ % 26)));
        return true; // never reports an end by itself
    }

private:
    int m_reads = 0;
};

} // namespace

TEST_F(ZipWriterTest, AGrowingLogIsPackedAsItWasWhenOpened)
{
    ZipOptions options;
    options.open_file = [](const std::wstring&) -> std::unique_ptr<SourceFile> {
        return std::make_unique<GrowingSource>();
    };
    const std::wstring zip = scratch / L"growing.zip";
    ZipArchivePtr archive = zip_create(zip, options);
    ASSERT_TRUE(archive);
    EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"busy.log", L"any"));
    EXPECT_EQ(kZipOk, zip_close(archive.get()));
    const Inspection in = inspect(scratch, zip);
    EXPECT_EQ("None", in.testzip) << in.raw_output;
    ASSERT_EQ(1u, in.entries.size());
    EXPECT_EQ(hex("aaaabbbbcc"), in.entries[0].data_hex);
}

TEST(ZipRecords, Zip64FieldsAppearExactlyWhereAFigureDoesNotFit)
{
    EntryRecord small;
    small.name = "a.log";
    small.uncompressed_size = kMax32 - 1;
    small.compressed_size = 10;
    small.local_offset = kMax32 - 1;
    EXPECT_FALSE(needs_zip64_central(small));
    const std::string c = central_record(small);
    EXPECT_EQ(46u + 5u + 9u, c.size());
    EXPECT_EQ(20, c[6]);

    EntryRecord big = small;
    big.uncompressed_size = kMax32;      // exactly 4 GiB - 1 + 1: the marker value itself
    big.local_offset = 1ull << 33;
    EXPECT_TRUE(needs_zip64_central(big));
    const std::string z = central_record(big);
    // Zip64 extra: header 4 bytes, original size and offset (no compressed size).
    EXPECT_EQ(46u + 5u + 9u + 4u + 16u, z.size());
    EXPECT_EQ(45, z[6]);
    EXPECT_EQ(std::string("\xff\xff\xff\xff", 4), z.substr(24, 4)); // uncompressed size field
    EXPECT_EQ(le32(10), z.substr(20, 4));                           // compressed size kept
    EXPECT_EQ(std::string("\xff\xff\xff\xff", 4), z.substr(42, 4)); // offset field
    EXPECT_EQ(std::string("\x01\x00\x10\x00", 4), z.substr(60, 4));

    // End records: plain below the limits, with Zip64 record and locator at them.
    EXPECT_EQ(22u, end_records(0xFFFE, 100, kMax32 - 101).size());
    const std::string many = end_records(0xFFFF, 100, 1000);
    EXPECT_EQ(56u + 20u + 22u, many.size());
    EXPECT_EQ(std::string("PK\x06\x06", 4), many.substr(0, 4));
    EXPECT_EQ(std::string("PK\x06\x07", 4), many.substr(56, 4));
    EXPECT_EQ(std::string("PK\x05\x06", 4), many.substr(76, 4));
    // A source opened near 4 GiB gets Zip64 room in its local header.
    EntryRecord near = small;
    near.local_zip64 = true;
    near.uncompressed_size = 5ull << 30;
    const std::string local = local_header(near);
    EXPECT_EQ(45, local[4]);
    EXPECT_EQ(std::string("\xff\xff\xff\xff\xff\xff\xff\xff", 8), local.substr(18, 8));
    EXPECT_EQ(std::string("\x01\x00\x10\x00", 4) + std::string("\x00\x00\x00\x40\x01\x00\x00\x00", 8),
              local.substr(30 + 5 + 17, 12));
    const std::string far = end_records(3, 100, 5ull << 30);
    EXPECT_EQ(98u, far.size());
    EXPECT_EQ(std::string("\xff\xff\xff\xff", 4), far.substr(76 + 16, 4));
}

TEST(ZipRecords, DosTimesAndStorageMethods)
{
    std::uint16_t date = 0, time = 0;
    dos_date_time(1746194589, date, time); // 2025-05-02 14:03:09 UTC
    EXPECT_EQ(((2025 - 1980) << 9) | (5 << 5) | 2, date);
    EXPECT_EQ((14 << 11) | (3 << 5) | 4, time);
    dos_date_time(0, date, time); // before 1980: the first DOS day
    EXPECT_EQ((1 << 5) | 1, date);
    EXPECT_EQ(0, time);

    for (const wchar_t* name : {L"a.Z", L"a.z", L"b.ZIP", L"c.zoo", L"d.arc", L"e.LZH", L"f.arj", L"g.gz", L"h.tgz"})
        EXPECT_TRUE(is_stored_by_name(name)) << name;
    for (const wchar_t* name : {L"a.log", L"zip", L"a.zipx", L"a.7z", L"a.gzip", L"Z"})
        EXPECT_FALSE(is_stored_by_name(name));
}
