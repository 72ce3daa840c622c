// The hosts-file reader on text and on files written here: the lines the
// resolver takes, the ones it ignores, encodings, and files it cannot use.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "check/diagnosis/hosts_file_table.h"
#include "common/text_convert.h"

namespace {

std::string found(const HostsFileTable& table, const wchar_t* host)
{
    const HostsFileMatch m = table.find(host);
    return m.mapped ? m.address + " @" + std::to_string(m.line) : "-";
}

class HostsFileOnDisk : public testing::Test
{
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("vantu-hosts-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::wstring write(const std::string& bytes)
    {
        const std::filesystem::path path = folder / "hosts";
        FILE* f = std::fopen(path.string().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return from_utf8(path.string());
    }
};

} // namespace

TEST(HostsFileTable, TakesTheLinesTheResolverTakes)
{
    const HostsFileTable table = HostsFileTable::parse(
        L"# 127.0.0.1 commented.example\n"
        L"10.0.0.5\tgw.vantu.test  GW2.Vantu.Test # second name, then a comment\n"
        L"   \n"
        L"10.0.0.6 gw.vantu.test\n"           // a later line does not win
        L"::1 six.vantu.test\r\n"             // CR LF and IPv6
        L"fe80::1%eth0 zone.vantu.test\n"
        L"not-an-address bogus.vantu.test\n"  // ignored: first field is no address
        L"10.0.0.7 trailing.vantu.test.\n"
        L"10.0.0.8");                         // an address without names, no final newline
    EXPECT_EQ(found(table, L"gw.vantu.test"), "10.0.0.5 @2");
    EXPECT_EQ(found(table, L"GW.VANTU.TEST"), "10.0.0.5 @2");
    EXPECT_EQ(found(table, L"gw2.vantu.test"), "10.0.0.5 @2");
    EXPECT_EQ(found(table, L"six.vantu.test"), "::1 @5");
    EXPECT_EQ(found(table, L"zone.vantu.test"), "fe80::1%eth0 @6");
    EXPECT_EQ(found(table, L"trailing.vantu.test"), "10.0.0.7 @8");
    EXPECT_EQ(found(table, L"trailing.vantu.test."), "10.0.0.7 @8");
    EXPECT_EQ(found(table, L"commented.example"), "-");
    EXPECT_EQ(found(table, L"bogus.vantu.test"), "-");
    EXPECT_EQ(found(table, L"comment"), "-");
    EXPECT_EQ(table.entry_count(), 5u); // the names of lines 2, 5, 6 and 8
}

TEST(HostsFileTable, NamesThatCannotBeInTheFileFindNothing)
{
    const HostsFileTable table = HostsFileTable::parse(L"10.0.0.5 host.test\n");
    for (const wchar_t* host : {L"", L"host .test", L"hóst.test", L"host.test#"})
        EXPECT_EQ(found(table, host), "-") << to_utf8(host);
}

TEST(HostsFileTable, DecodesUtf16AndTellsBinaryApart)
{
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("1\0.\0" "2\0.\0" "3\0.\0" "4\0 \0h\0\n\0", 20);
    EXPECT_EQ(found(HostsFileTable::from_bytes(utf16, false), L"h"), "1.2.3.4 @1");
    const std::string no_mark = utf16.substr(2);
    EXPECT_EQ(found(HostsFileTable::from_bytes(no_mark, false), L"h"), "1.2.3.4 @1");
    const std::string utf8_mark = "\xEF\xBB\xBF" "5.6.7.8 m\n";
    EXPECT_EQ(found(HostsFileTable::from_bytes(utf8_mark, false), L"m"), "5.6.7.8 @1");

    const std::string binary("\x7F" "ELF\x02\x01\x01\x00\x00\x00\x00\xC3\x00\x00", 15);
    EXPECT_EQ(HostsFileTable::from_bytes(binary, false).state(), HostsFileState::binary);
    EXPECT_EQ(HostsFileTable::from_bytes(binary, false).entry_count(), 0u);
}

TEST_F(HostsFileOnDisk, MissingUnreadableHugeAndLongLines)
{
    EXPECT_EQ(HostsFileTable::read(from_utf8((folder / "none").string())).state(), HostsFileState::missing);
    // A folder where the file should be cannot be read as one.
    std::filesystem::create_directories(folder / "dir");
    EXPECT_EQ(HostsFileTable::read(from_utf8((folder / "dir").string())).state(), HostsFileState::unreadable);

    // A 100 000-character line of names, then a normal line: both are read.
    std::string long_line = "10.1.1.1";
    for (int i = 0; long_line.size() < 100000; ++i)
        long_line += " n" + std::to_string(i);
    const HostsFileTable long_table = HostsFileTable::read(write(long_line + "\n10.2.2.2 after\n"));
    EXPECT_EQ(long_table.state(), HostsFileState::read);
    EXPECT_EQ(found(long_table, L"n0"), "10.1.1.1 @1");
    EXPECT_EQ(found(long_table, L"after"), "10.2.2.2 @2");

    // Past the read limit the rest is not read, and the table says so.
    std::string huge = "10.3.3.3 first\n";
    while (huge.size() < kHostsFileReadLimit)
        huge += "# filler line of a large blocklist............................................\n";
    huge += "10.4.4.4 beyond\n";
    const HostsFileTable huge_table = HostsFileTable::read(write(huge));
    EXPECT_EQ(huge_table.state(), HostsFileState::truncated);
    EXPECT_EQ(found(huge_table, L"first"), "10.3.3.3 @1");
    EXPECT_EQ(found(huge_table, L"beyond"), "-");
}
