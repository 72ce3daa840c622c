// Parallel packing against the serial writer, and sources that fail or shrink
// while they are read: never a short entry, the archive stays readable.
#include "archive_test_support.h"

#include "diag/archive/zip_folder.h"
#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace vantu::zip;
using namespace archive_test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

std::string log_text(std::size_t bytes, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string out;
    while (out.size() < bytes)
        out += "[2025-05-02 14:03:" + std::to_string(rng() % 60) + "] session " + std::to_string(rng() % 5000) +
               " peer 10.0." + std::to_string(rng() % 256) + " bytes=" + std::to_string(rng()) + "\r\n";
    out.resize(bytes);
    return out;
}

std::string zipfile_check(const std::wstring& zip)
{
    return run("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); print(z.testzip(), len(z.namelist()))\" '" +
               narrow(zip) + "'")
        .output;
}

// Serves the given bytes; fails (or ends) after `stop_at` bytes on the first
// `bad_attempts` openings.
struct FlakySource : SourceFile
{
    FlakySource(const std::string& data, std::size_t stop_at, bool fail) : m_data(data), m_stop(stop_at), m_fail(fail)
    {
        stamp.size = data.size();
        stamp.modified = stamp.accessed = stamp.created = 1614834368;
    }
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        got = std::min(capacity, std::min(m_data.size(), m_stop) - m_pos);
        if (got == 0 && m_pos < m_data.size() && m_fail)
            return false;
        std::copy_n(m_data.data() + m_pos, got, buffer);
        m_pos += got;
        return true;
    }
    const std::string& m_data;
    std::size_t m_stop, m_pos = 0;
    bool m_fail;
};

} // namespace

TEST(ZipParallel, ParallelArchiveMatchesTheSerialOneAndEveryReaderAcceptsIt)
{
    ScratchFolder scratch;
    const std::wstring logs = scratch / L"logs";
    write_file(logs + L"/big.log", log_text(5 * 1024 * 1024 + 12345, 1)); // six blocks
    write_file(logs + L"/exactly_one_block.log", log_text(1024 * 1024, 2));
    write_file(logs + L"/empty.log", "");
    write_file(logs + L"/day1/a.log", log_text(70000, 3));
    write_file(logs + L"/day1/old.zip", log_text(3 * 1024 * 1024, 4)); // stored, in blocks
    write_file(logs + L"/day2/b.log", "short\r\n");

    std::vector<std::wstring> zips;
    std::vector<ZipFolderReport> reports;
    for (unsigned threads : {1u, 2u, 4u}) {
        ZipFolderOptions options;
        options.zip.threads = threads;
        zips.push_back(scratch / (L"t" + std::to_wstring(threads) + L".zip"));
        reports.push_back(zip_folder(logs, zips.back(), options));
        EXPECT_EQ(kZipOk, reports.back().close_result);
        EXPECT_TRUE(reports.back().skipped.empty());
    }
    const ZipView serial = read_zip(zips[0]);
    ASSERT_TRUE(serial.ok);
    const std::vector<std::string> names = {"exactly_one_block.log", "empty.log", "day2/", "day2/b.log", "day1/",
                                            "day1/old.zip", "day1/", "day1/a.log", "big.log"};
    EXPECT_EQ(names, serial.names());
    for (const std::wstring& zip : zips) {
        const ZipView view = read_zip(zip); // inflated by stock zlib
        ASSERT_TRUE(view.ok);
        EXPECT_EQ(names, view.names());
        for (std::size_t i = 0; i < view.entries.size(); ++i) {
            EXPECT_TRUE(view.entries[i].crc_ok) << view.entries[i].name;
            EXPECT_EQ(serial.entries[i].data, view.entries[i].data) << view.entries[i].name;
            EXPECT_EQ(serial.entries[i].method, view.entries[i].method);
        }
        const CommandResult unzip = run("unzip -t '" + narrow(zip) + "'");
        EXPECT_EQ(0, unzip.exit_code) << unzip.output;
        EXPECT_EQ("None 9\n", zipfile_check(zip));
        EXPECT_EQ(0, run("7z t '" + narrow(zip) + "'").exit_code);
    }
    const double serial_size = static_cast<double>(read_file(zips[0]).size());
    EXPECT_NEAR(1.0, read_file(zips[1]).size() / serial_size, 0.01);
    // Blocks do not depend on the number of threads.
    EXPECT_EQ(read_file(zips[1]), read_file(zips[2]));

    // The records a manifest is written from: sizes, CRC and SHA-256 of the source.
    const ArchiveEntryRecord& big = reports[2].records.back();
    EXPECT_EQ(L"big.log", big.name);
    EXPECT_EQ(logs + L"/big.log", big.source_path);
    EXPECT_EQ(5u * 1024 * 1024 + 12345, big.size);
    EXPECT_EQ(run("sha256sum '" + narrow(logs) + "/big.log' | cut -c1-64").output, big.sha256 + "\n");
    EXPECT_EQ(run("python3 -c \"import zlib;print('%08x'%zlib.crc32(open('" + narrow(logs) + "/big.log','rb').read()))\"")
                  .output,
              [&] { char b[16]; std::snprintf(b, sizeof b, "%08x\n", big.crc32); return std::string(b); }());
    EXPECT_TRUE(reports[2].records[2].folder);
    EXPECT_EQ(reports[0].records.size(), reports[2].records.size());
}

TEST(ZipParallel, ASourceThatFailsOrShrinksIsRetriedOnceThenLeftOut)
{
    ScratchFolder scratch;
    const std::string good = log_text(3000, 5);
    const std::string big = log_text(9 * 1024 * 1024, 6); // several blocks written before the failure
    write_file(scratch / L"good.log", good);
    for (const wchar_t* name : {L"flaky.log", L"broken.log", L"shrinking.log", L"big_broken.log"})
        write_file(scratch / name, "");
    std::map<std::wstring, int> openings;

    for (unsigned threads : {1u, 2u}) {
        openings.clear();
        ZipOptions options;
        options.threads = threads;
        options.open_file = [&](const std::wstring& path) -> std::unique_ptr<SourceFile> {
            const int n = ++openings[path];
            if (path.ends_with(L"flaky.log")) // fails once, then reads whole
                return std::make_unique<FlakySource>(good, n == 1 ? 1000 : good.size(), true);
            if (path.ends_with(L"broken.log") && !path.ends_with(L"big_broken.log"))
                return std::make_unique<FlakySource>(good, 1000 + n, true);
            if (path.ends_with(L"shrinking.log"))
                return std::make_unique<FlakySource>(good, 2000, false);
            if (path.ends_with(L"big_broken.log"))
                return std::make_unique<FlakySource>(big, 8 * 1024 * 1024, true);
            return open_source(path);
        };
        const std::wstring zip = scratch / L"out.zip";
        ZipArchivePtr archive = zip_create(zip, options);
        ASSERT_TRUE(archive);
        EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"good.log", scratch / L"good.log"));
        EXPECT_EQ(kZipOk, zip_add_file(archive.get(), L"flaky.log", scratch / L"flaky.log"));
        EXPECT_EQ(kZipSourceIncomplete, zip_add_file(archive.get(), L"broken.log", scratch / L"broken.log"));
        EXPECT_EQ(kZipSourceIncomplete, zip_add_file(archive.get(), L"shrinking.log", scratch / L"shrinking.log"));
        EXPECT_EQ(kZipCannotOpenSource, zip_add_file(archive.get(), L"gone.log", scratch / L"gone.log"));
        EXPECT_EQ(kZipOk, zip_add_items(archive.get(), {{L"big_broken.log", scratch / L"big_broken.log"}}));
        EXPECT_EQ(2, openings[scratch / L"big_broken.log"]);
        EXPECT_EQ(kZipOk, zip_close(archive.get()));

        const auto& skipped = zip_skipped_files(archive.get());
        ASSERT_EQ(4u, skipped.size());
        EXPECT_EQ(L"broken.log", skipped[0].name);
        EXPECT_EQ(SkipReason::read_error, skipped[0].reason);
        EXPECT_EQ(1002u, skipped[0].bytes_read) << "bytes read by the second attempt";
        EXPECT_EQ(L"read error after 1002 bytes", skip_reason_text(skipped[0]));
        EXPECT_EQ(SkipReason::shrank, skipped[1].reason);
        EXPECT_EQ(2000u, skipped[1].bytes_read);
        EXPECT_EQ(SkipReason::vanished, skipped[2].reason);
        EXPECT_EQ(scratch / L"gone.log", skipped[2].source_path);
        EXPECT_EQ(SkipReason::read_error, skipped[3].reason);
        EXPECT_EQ(8u * 1024 * 1024, skipped[3].bytes_read);

        // Only whole files are in the archive, and it ends where its directory ends.
        const ZipView view = read_zip(zip);
        ASSERT_TRUE(view.ok);
        EXPECT_THAT(view.names(), ElementsAre("good.log", "flaky.log"));
        EXPECT_EQ(good, view.entries[1].data);
        EXPECT_EQ(0, run("unzip -t '" + narrow(zip) + "'").exit_code);
        EXPECT_EQ("None 2\n", zipfile_check(zip));
        EXPECT_LT(read_file(zip).size(), 8000u) << "the taken-back entry was cut off";
    }
}
