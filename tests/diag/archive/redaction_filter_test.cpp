// The filters a redacted save packs through: encodings and odd bytes kept, a
// long line in bounded memory, systeminfo.txt's form, a file that shrinks or
// grows while the writer reads it, a file that is not text.
#include "archive_test_support.h"

#include "diag/archive/archive_redaction.h"
#include "diag/archive/base64.h"
#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_reader.h"
#include "diag/archive/zip_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace archive_test;

namespace {

std::string through(vantu::zip::EntryFilter& f, const std::string& in, std::size_t block, bool* accepted = nullptr)
{
    std::string out;
    bool ok = true;
    for (std::size_t at = 0; at < in.size() && ok; at += block)
        ok = f.feed(std::string_view(in).substr(at, block), out);
    ok = ok && f.finish(out);
    if (accepted)
        *accepted = ok;
    return out;
}

// A source whose size at opening is `stamp_size` but that gives `content`.
class ChangingSource : public vantu::zip::SourceFile
{
public:
    ChangingSource(std::string content, std::uint64_t stamp_size) : m_content(std::move(content))
    {
        stamp.size = stamp_size;
    }
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        got = std::min(capacity, m_content.size() - m_at);
        std::copy_n(m_content.data() + m_at, got, buffer);
        m_at += got;
        return true;
    }

private:
    std::string m_content;
    std::size_t m_at = 0;
};

} // namespace

TEST(RedactionFilter, Utf16WithAnOddLastByteKeepsItsBytes)
{
    vantu::redact::PseudonymTable table;
    const vantu::redact::RedactNames names;
    const std::string wide = std::string("\xFF\xFE" "1\0" "0\0" ".\0" "1\0" ".\0" "2\0" ".\0" "3\0" " \0" "x", 21);
    auto f = make_text_filter(table, names, 949);
    EXPECT_EQ(std::string("\xFF\xFE[\0I\0P\0-\0" "1\0]\0 \0x", 17), through(*f, wide, 3));

}

TEST(RedactionFilter, BrokenUtf8IsRedactedAroundTheBrokenBytes)
{
    vantu::redact::PseudonymTable table;
    auto f = make_text_filter(table, {}, 949);
    EXPECT_EQ("a\xC3(\xFF [IP-1] \xE2\x82", through(*f, "a\xC3(\xFF 10.1.2.3 \xE2\x82", 2));
}

TEST(RedactionFilter, NotTextIsRefusedAndAnEmptyFileIsText)
{
    vantu::redact::PseudonymTable table;
    bool accepted = true;
    auto f = make_text_filter(table, {}, 949);
    through(*f, std::string("MZ\x90\0\x03\0\0\0", 8), 4, &accepted);
    EXPECT_FALSE(accepted);
    auto g = make_text_filter(table, {}, 949);
    EXPECT_EQ("", through(*g, "", 1, &accepted));
    EXPECT_TRUE(accepted);
}

TEST(RedactionFilter, OneLongLineInBoundedMemory)
{
    vantu::redact::PseudonymTable table;
    auto f = make_text_filter(table, {}, 949);
    // 64 MB without a line end, an address at its start and its end.
    const std::size_t block = 1024 * 1024;
    std::string piece(block, 'a');
    std::memcpy(piece.data(), "10.9.8.7 ", 9);
    std::string out;
    std::uint64_t fed = 0, produced = 0;
    for (int i = 0; i < 64; ++i) {
        out.clear();
        ASSERT_TRUE(f->feed(piece, out));
        fed += piece.size();
        produced += out.size();
        // What the filter holds back stays small whatever the line's length.
        EXPECT_LE(fed - produced, 8192u) << i;
    }
    out.clear();
    ASSERT_TRUE(f->finish(out));
    produced += out.size();
    // Only the first address starts a word ("aaa10.9.8.7" is none): "10.9.8.7"
    // (8 bytes) became "[IP-1]" (6) once.
    EXPECT_EQ(fed - 2, produced);
}

TEST(RedactionFilter, SysteminfoStaysBase64OfAnsiWithAZeroByte)
{
    vantu::redact::PseudonymTable table;
    const vantu::redact::RedactNames names{{}, {"VANTU-PC"}};
    const std::string text = "Host Name: VANTU-PC\r\nIP: 192.168.10.20\r\nOS Version: 10.0.19045 N/A Build 19045\r\n";
    const std::string stored = base64_encode(text) + std::string(1, '\0');
    for (std::size_t block : {1u, 2u, 3u, 4u, 5u, 7u, 4096u}) {
        auto f = make_systeminfo_filter(table, names, 949);
        EXPECT_EQ(base64_encode("Host Name: [HOST-1]\r\nIP: [IP-1]\r\nOS Version: 10.0.19045 N/A Build 19045\r\n") +
                      std::string(1, '\0'),
                  through(*f, stored, block))
            << block;
    }
    bool accepted = true;
    auto bad = make_systeminfo_filter(table, names, 949);
    through(*bad, "not*base64", 4, &accepted);
    EXPECT_FALSE(accepted);
}

TEST(RedactionFilter, WriterRetriesAShrinkingFileAndTakesAGrowingOneAsItWas)
{
    ScratchFolder scratch;
    ArchiveRedaction redaction({}, 949);
    vantu::zip::ZipOptions options;
    options.threads = 2;
    options.filter = redaction.filter_maker();
    int opened = 0;
    options.open_file = [&](const std::wstring& path) -> std::unique_ptr<vantu::zip::SourceFile> {
        ++opened;
        if (path == L"shrinks")
            return std::make_unique<ChangingSource>("peer 10.1.1.1", 100);
        return std::make_unique<ChangingSource>("peer 10.1.1.1 and more written meanwhile", 13);
    };
    auto zip = vantu::zip::zip_create(scratch / L"a.zip", options);
    ASSERT_TRUE(zip);
    EXPECT_EQ(vantu::zip::kZipSourceIncomplete, vantu::zip::zip_add_file(zip.get(), L"s.log", L"shrinks"));
    EXPECT_EQ(vantu::zip::kZipOk, vantu::zip::zip_add_file(zip.get(), L"g.log", L"grows"));
    EXPECT_EQ(3, opened);
    ASSERT_EQ(1u, vantu::zip::zip_skipped_files(zip.get()).size());
    EXPECT_EQ(vantu::zip::SkipReason::shrank, vantu::zip::zip_skipped_files(zip.get())[0].reason);
    ASSERT_EQ(vantu::zip::kZipOk, vantu::zip::zip_close(zip.get()));
    EXPECT_EQ("peer [IP-1]", run("unzip -p '" + narrow(scratch / L"a.zip") + "' g.log").output);
}

TEST(ZipReader, ReadsWhatTheWriterWroteAndRefusesAThousandfold)
{
    ScratchFolder scratch;
    write_file(scratch / L"small.txt", "hello");
    write_file(scratch / L"zeros.bin", std::string(3 * 1024 * 1024, '\0'));
    auto zip = vantu::zip::zip_create(scratch / L"a.zip");
    ASSERT_EQ(vantu::zip::kZipOk, vantu::zip::zip_add_file(zip.get(), L"small.txt", scratch / L"small.txt"));
    ASSERT_EQ(vantu::zip::kZipOk, vantu::zip::zip_add_file(zip.get(), L"zeros.bin", scratch / L"zeros.bin"));
    ASSERT_EQ(vantu::zip::kZipOk, vantu::zip::zip_close(zip.get()));

    vantu::zip::ReadFailure why = vantu::zip::ReadFailure::none;
    auto reader = vantu::zip::ZipReader::open(scratch / L"a.zip", why);
    ASSERT_TRUE(reader);
    ASSERT_EQ(2u, reader->entries().size());
    std::string text;
    EXPECT_EQ(vantu::zip::ReadFailure::none, reader->extract_to_string(reader->entries()[0], text, 100));
    EXPECT_EQ("hello", text);
    // 3 MB of zeros pack into about 3 KB: more than a thousandfold.
    std::uint64_t delivered = 0;
    EXPECT_EQ(vantu::zip::ReadFailure::too_expanding,
              reader->extract(reader->entries()[1], [&](const unsigned char*, std::size_t n) {
                  delivered += n;
                  return true;
              }));
    EXPECT_EQ(0u, delivered);
}
