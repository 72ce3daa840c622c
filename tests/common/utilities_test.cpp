// The shared helpers that behave the same in both trees.
#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/size_format.h"
#include "common/text_file.h"
#include "common/text_file_platform.h"
#include "test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using test_files::read_bytes;
using test_files::scratch_folder;
using test_files::write_bytes;
using testing::ElementsAre;

namespace {

local_time afternoon()
{
    local_time t;
    t.year = 2026;
    t.month = 3;
    t.day = 7;
    t.hour = 13;
    t.minute = 5;
    t.second = 9;
    return t;
}

std::wstring sep(const std::wstring& path)
{
    std::wstring out = path;
    std::replace(out.begin(), out.end(), L'/', path_separator);
    return out;
}

}  // namespace

TEST(PathPart, AllSixParts)
{
    const std::wstring p = L"C:\\Program Files\\Vantu\\Agent\\bin\\agent.exe.log";
    EXPECT_EQ(path_part(p, path_part_drive), L"C:");
    EXPECT_EQ(path_part(p, path_part_folder), L"C:\\Program Files\\Vantu\\Agent\\bin");
    EXPECT_EQ(path_part(p, path_part_last_folder), L"bin");
    EXPECT_EQ(path_part(p, path_part_title), L"agent.exe");
    EXPECT_EQ(path_part(p, path_part_extension), L"log");
    EXPECT_EQ(path_part(p, path_part_file_name), L"agent.exe.log");
    EXPECT_EQ(path_part(p, 6), L"");

    const std::wstring folder = L"C:\\Vantu\\Logs\\";
    EXPECT_EQ(path_part(folder, path_part_folder), L"C:\\Vantu\\Logs");
    EXPECT_EQ(path_part(folder, path_part_last_folder), L"Logs");
    EXPECT_EQ(path_part(folder, path_part_title), L"");
    EXPECT_EQ(path_part(folder, path_part_extension), L"");
    EXPECT_EQ(path_part(folder, path_part_file_name), L"");

    EXPECT_EQ(path_part(L"C:\\hosts", path_part_folder), L"C:");
    EXPECT_EQ(path_part(L"C:\\hosts", path_part_extension), L"");
    EXPECT_EQ(path_part(L"readme.txt", path_part_drive), L"");
    EXPECT_EQ(path_part(L"readme.txt", path_part_folder), L"");
    EXPECT_EQ(path_part(L"/opt/vantu/log/a.txt", path_part_last_folder), L"log");
    EXPECT_EQ(path_part(L"\\\\server\\share\\x.zip", path_part_folder), L"\\\\server\\share");
    EXPECT_EQ(path_part(L"", path_part_file_name), L"");
}

TEST(NaturalOrder, DigitRunsCompareAsNumbers)
{
    EXPECT_LT(natural_compare(L"file2.log", L"file10.log"), 0);
    EXPECT_GT(natural_compare(L"File10.log", L"file9.log"), 0);
    EXPECT_EQ(natural_compare(L"ABC", L"abc"), 0);
    EXPECT_LT(natural_compare(L"a", L"ab"), 0);
    EXPECT_EQ(natural_compare(L"x007", L"x7"), 0);
    std::vector<std::wstring> paths = {L"log_2.txt", L"log_10.txt", L"Log_1.txt", L"log_100.txt", L"a.txt"};
    std::sort(paths.begin(), paths.end(),
              [](const std::wstring& x, const std::wstring& y) { return natural_compare(x, y) > 0; });
    EXPECT_THAT(paths, ElementsAre(L"log_100.txt", L"log_10.txt", L"log_2.txt", L"Log_1.txt", L"a.txt"));
}

TEST(Wildcards, WindowsMasks)
{
    EXPECT_TRUE(wildcard_match(L"*", L"anything"));
    EXPECT_TRUE(wildcard_match(L"*.*", L"no_dot"));
    EXPECT_TRUE(wildcard_match(L"CrashHandler*", L"crashhandler_2026.log"));
    EXPECT_FALSE(wildcard_match(L"CrashHandler*", L"agent.log"));
    EXPECT_TRUE(wildcard_match(L"a?c.*", L"abc.txt"));
    EXPECT_FALSE(wildcard_match(L"a?c", L"ac"));
    EXPECT_TRUE(wildcard_match(L"*.LOG", L"x.log"));
}

TEST(FindFiles, MasksExtensionsExclusionsAndRecursion)
{
    scratch_folder root(L"find_files_tree");
    const std::wstring r = root.path();
    for (const auto& dir : {L"bin", L"bin/deep", L"CrashHandlerDumps", L"CrashHandlerDumps/inner", L"other"}) {
        ASSERT_TRUE(ensure_folder(r + path_separator + sep(dir)));
    }
    for (const auto& file : {L"agent.log", L"agent.LOG.txt", L"readme", L"CrashHandler.log", L"CrashHandlerX.dmp",
                             L"bin/app.exe", L"bin/app.dll", L"bin/deep/agent_2.log", L"bin/deep/agent_10.log",
                             L"CrashHandlerDumps/CrashHandler_a.log", L"CrashHandlerDumps/inner/CrashHandler_b.log",
                             L"CrashHandlerDumps/plain.log", L"other/CrashHandler_c.log"}) {
        ASSERT_TRUE(write_bytes(r + path_separator + sep(file), "x"));
    }
    const auto in = [&](const std::wstring& rel) { return r + path_separator + sep(rel); };

    // Not recursive: files of the folder itself; folders only on request.
    EXPECT_THAT(find_files(r), ElementsAre(in(L"readme"), in(L"CrashHandlerX.dmp"), in(L"CrashHandler.log"),
                                          in(L"agent.LOG.txt"), in(L"agent.log")));
    auto with_folders = find_files(r, L"*", L"", true);
    EXPECT_EQ(with_folders.size(), 8u);
    EXPECT_NE(std::find(with_folders.begin(), with_folders.end(), in(L"bin")), with_folders.end());

    // Extensions: lower-cased, "*." removed, ";"-separated.
    EXPECT_THAT(find_files(r, L"", L"*.LOG; *.dmp"), ElementsAre(in(L"CrashHandlerX.dmp"), in(L"CrashHandler.log"),
                                                                in(L"agent.log")));
    EXPECT_THAT(find_files(r, L"*", L"log;dmp"), ElementsAre(in(L"CrashHandlerX.dmp"), in(L"CrashHandler.log"),
                                                            in(L"agent.log")));

    // Exclusions: parts of the lower-cased file name.
    EXPECT_THAT(find_files(r, L"*", L"log", false, L"CRASH;zzz"), ElementsAre(in(L"agent.log")));

    // Recursive: every subfolder, descending natural order of the full paths.
    const auto all_logs = find_files(r, L"*", L"log", false, L"", true, true);
    EXPECT_THAT(all_logs, ElementsAre(in(L"other/CrashHandler_c.log"), in(L"CrashHandlerDumps/plain.log"),
                                      in(L"CrashHandlerDumps/inner/CrashHandler_b.log"),
                                      in(L"CrashHandlerDumps/CrashHandler_a.log"), in(L"CrashHandler.log"),
                                      in(L"bin/deep/agent_10.log"), in(L"bin/deep/agent_2.log"), in(L"agent.log")));

    // The mask applies to subfolders too: a crash log in the folder itself and in
    // "CrashHandler*" subfolders, not in "other" nor in "inner" below a match.
    EXPECT_THAT(find_files(r, L"CrashHandler*", L"log", false, L"", true, true),
                ElementsAre(in(L"CrashHandlerDumps/CrashHandler_a.log"), in(L"CrashHandler.log")));

    // Unsorted keeps the same set.
    auto unsorted = find_files(r, L"*", L"log", false, L"", false, true);
    std::sort(unsorted.begin(), unsorted.end());
    auto sorted = all_logs;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(unsorted, sorted);

    // A folder given with a trailing separator, and a folder that does not exist.
    EXPECT_EQ(find_files(r + path_separator).size(), 5u);
    EXPECT_TRUE(find_files(in(L"missing")).empty());
}

TEST(Folders, EnsureAndDeleteTrees)
{
    scratch_folder root(L"folders_tree");
    const std::wstring deep = root / sep(L"a/b/c");
    EXPECT_TRUE(ensure_folder(L"  " + deep + L" "));
    EXPECT_TRUE(folder_exists(deep));
    EXPECT_TRUE(ensure_folder(deep)) << "an existing folder is fine";
    ASSERT_TRUE(write_bytes(deep + path_separator + L"f.txt", "data"));
    EXPECT_TRUE(delete_folder_tree(root / L"a"));
    EXPECT_FALSE(file_exists(root / L"a"));
    EXPECT_FALSE(delete_folder_tree(root / L"a")) << "nothing to delete";
    EXPECT_FALSE(delete_folder_tree(L""));
    EXPECT_FALSE(ensure_folder(L"   "));
    // A file in the way: the folder cannot exist afterwards.
    ASSERT_TRUE(write_bytes(root / L"file", "x"));
    EXPECT_FALSE(ensure_folder(root / sep(L"file/sub")));
}

TEST(SizeText, AutomaticAndFixedUnits)
{
    EXPECT_EQ(format_size(1536), L"1.50KB");
    EXPECT_EQ(format_size(1, 3, 1), L"0.1GB");
    EXPECT_EQ(format_size(1, 3, 1, true, false, true), L"0.1GB") << "never below one step when above zero";
    EXPECT_EQ(format_size(0, 3, 1), L"0.0GB");
    EXPECT_EQ(format_size(0), L"0 Bytes");
    EXPECT_EQ(format_size(999), L"999 Bytes");
    EXPECT_EQ(format_size(1000), L"0.98KB");
    EXPECT_EQ(format_size(10240), L"10.0KB");
    EXPECT_EQ(format_size(102400), L"100KB");
    EXPECT_EQ(format_size(5ull * 1024 * 1024 * 1024), L"5.00GB");
    EXPECT_EQ(format_size(1126), L"1.10KB") << "1.0996 rounds up to 1.10";
    EXPECT_EQ(format_size(1126, -1, 0, true, false, true), L"1.09KB");
    EXPECT_EQ(format_size(1234567, 0, 0, true, true), L"1,234,567 Bytes");
    EXPECT_EQ(format_size(1234567, 0, 0, false, true), L"1,234,567");
    EXPECT_EQ(format_size(3ull * 1024 * 1024 * 1024 * 1024, 2, 0, true, true), L"3,145,728MB");
    EXPECT_EQ(format_size(1536, 1, 2, false), L"1.50");
    EXPECT_EQ(format_size(~0ull), L"16.0EB");
}

TEST(DateText, KoreanAndOtherLanguages)
{
    const local_time t = afternoon();
    EXPECT_EQ(format_date(t, L"-", 1042), L"2026-03-07");
    EXPECT_EQ(format_date(t, L"", 1042), L"20260307");
    EXPECT_EQ(format_date(t, L"-", 1033), L"3/7/2026");
    EXPECT_EQ(format_date(t, L"", 1033), L"3/7/2026");

    EXPECT_EQ(format_time(t, L":", true, true, 1042), L"13:05:09");
    EXPECT_EQ(format_time(t, L"", true, true, 1033), L"130509");
    EXPECT_EQ(format_time(t, L":", false, true, 1042), L"오후  1:05:09");
    EXPECT_EQ(format_time(t, L":", false, true, 1033), L" 1:05:09 PM");
    EXPECT_EQ(format_time(t, L":", false, false, 1033), L" 1:05 PM");
    local_time midnight = t;
    midnight.hour = 0;
    EXPECT_EQ(format_time(midnight, L":", false, true, 1042), L"오전  0:05:09");
    EXPECT_EQ(format_time(midnight, L":", false, true, 1033), L" 0:05:09 AM");
    local_time noon = t;
    noon.hour = 12;
    EXPECT_EQ(format_time(noon, L":", false, true, 1033), L"12:05:09 PM");

    EXPECT_EQ(format_date_time(t, date_time_mode_both, true, L" ", true, true, 1042), L"2026-03-07 13:05:09");
    EXPECT_EQ(format_date_time(t, date_time_mode_both, false, L"", true, true, 1042), L"20260307130509");
    EXPECT_EQ(format_date_time(t, date_time_mode_date, true, L" ", true, true, 1042), L"2026-03-07");
    EXPECT_EQ(format_date_time(t, date_time_mode_both, true, L" ", true, true, 1033), L"3/7/2026 13:05:09");
    EXPECT_EQ(format_date_time(t, date_time_mode_time, true, L" ", true, true, 1042), L"13:05:09");

    const std::wstring now = now_text();
    EXPECT_EQ(now.size() >= 17, true) << "a date, a blank and a time";
}

TEST(TextEncodings, DetectionByMarkAndContent)
{
    const auto detect = [](const std::string& bytes) {
        return detect_text_encoding_of(bytes.substr(0, 4096), bytes.size(), looks_like_utf16le,
                                       [&] { return is_valid_utf8(bytes); });
    };
    EXPECT_EQ(detect("\xEF\xBB\xBFhello"), text_encoding_utf8_bom);
    EXPECT_EQ(detect("\xFE\xFF\x00h"), text_encoding_utf16be_bom);
    EXPECT_EQ(detect(std::string("\xFF\xFEh\x00", 4)), text_encoding_utf16le_bom);
    EXPECT_EQ(detect(std::string("\xFF\xFE\x00\x00h\x00\x00\x00", 8)), text_encoding_utf16le_bom);
    EXPECT_EQ(detect(std::string("\x00\x00\xFE\xFF\x00\x00\x00h", 8)), text_encoding_utf32be_bom);
    EXPECT_EQ(detect("+/v8-hello"), text_encoding_utf7_bom);
    EXPECT_EQ(detect("+/v9"), text_encoding_utf7_bom);
    EXPECT_EQ(detect("+/v7"), text_encoding_utf8) << "not a UTF-7 mark; plain ASCII is valid UTF-8";
    EXPECT_EQ(detect(std::string("h\x00i\x00", 4)), text_encoding_utf16le);
    EXPECT_EQ(detect("\xEA\xB0\x80 UTF-8"), text_encoding_utf8);
    EXPECT_EQ(detect("\xB0\xA1 ANSI"), text_encoding_ansi);
    EXPECT_EQ(detect(""), text_encoding_utf8);
    EXPECT_FALSE(is_valid_utf8("\xEA\xB0"));
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80")) << "surrogates are not UTF-8";
    EXPECT_TRUE(is_valid_utf8("\xF0\x9F\x98\x80"));
}

TEST(TextEncodings, EveryEncodingWrittenToAFileIsDetectedAndRead)
{
    scratch_folder folder(L"encodings");
    struct sample
    {
        const wchar_t* name;
        std::string bytes;
        int encoding;
    };
    const std::vector<sample> samples = {
        {L"utf8bom.txt", "\xEF\xBB\xBF" "127.0.0.1 localhost\r\n\xEA\xB0\x80\r\n", text_encoding_utf8_bom},
        {L"utf8.txt", "127.0.0.1 localhost\r\n\xEA\xB0\x80\r\n", text_encoding_utf8},
        {L"utf16le_bom.txt", std::string("\xFF\xFE" "1\x00" "2\x00" "7\x00" "\r\x00\n\x00" "\x00\xAC", 14), text_encoding_utf16le_bom},
        {L"utf16be_bom.txt", std::string("\xFE\xFF" "\x00" "1\x00" "2\x00" "7" "\xAC\x00", 10), text_encoding_utf16be_bom},
        {L"utf32le_bom.txt", std::string("\xFF\xFE\x00\x00" "1\x00\x00\x00" "\x00\xAC\x00\x00", 12), text_encoding_utf16le_bom},
        {L"utf32be_bom.txt", std::string("\x00\x00\xFE\xFF" "\x00\x00\x00" "1" "\x00\x00\xAC\x00", 12), text_encoding_utf32be_bom},
        {L"utf16le.txt", std::string("1\x00" "2\x00" "7\x00" "\x00\xAC", 8), text_encoding_utf16le},
        {L"utf7.txt", "+/v8-hello", text_encoding_utf7_bom},
    };
    const std::vector<std::wstring> expected = {
        L"127.0.0.1 localhost\n가\n", L"127.0.0.1 localhost\n가\n", L"127\r\n가", L"127가", L"1가", L"1가", L"127가",
        L"hello"};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::wstring path = folder / samples[i].name;
        ASSERT_TRUE(write_bytes(path, samples[i].bytes));
        EXPECT_EQ(detect_text_encoding(path), samples[i].encoding) << to_utf8(samples[i].name);
#ifndef _WIN32
        if (samples[i].encoding == text_encoding_utf7_bom) {
            continue;  // UTF-7 is decoded by the system on Windows only
        }
#endif
        EXPECT_EQ(read_text_file(path), expected[i]) << to_utf8(samples[i].name);
    }
    EXPECT_EQ(detect_text_encoding(folder / L"missing.txt"), text_encoding_ansi);
    EXPECT_EQ(read_text_file(folder / L"missing.txt"), L"");
}

TEST(TextFiles, WriteAndReadBack)
{
    scratch_folder folder(L"text_files");
    const std::wstring path = folder / L"check_result.txt";
    ASSERT_TRUE(write_text_file(path, L"[Check Result]\n진단 시각\r\nend\n"));
    EXPECT_EQ(read_bytes(path), "\xEF\xBB\xBF[Check Result]\r\n\xEC\xA7\x84\xEB\x8B\xA8 \xEC\x8B\x9C\xEA\xB0\x81\r\nend\r\n");
    EXPECT_EQ(detect_text_encoding(path), text_encoding_utf8_bom);
    EXPECT_EQ(read_text_file(path), L"[Check Result]\n진단 시각\nend\n");
    EXPECT_EQ(read_text_file(path, 11), L"[Check R") << "the byte limit counts the mark";
    EXPECT_EQ(read_text_file(path, 0), read_text_file(path, -1));

    const std::wstring plain = folder / L"plain.txt";
    ASSERT_TRUE(write_text_file(plain, L"a\nb", false, false));
    EXPECT_EQ(read_bytes(plain), "a\r\nb");
    ASSERT_TRUE(write_text_file(plain, L"ab", false, true));
    EXPECT_EQ(read_bytes(plain), std::string("ab\0", 3));

    EXPECT_FALSE(write_text_file(folder / sep(L"no/such/folder.txt"), L"x"));
    EXPECT_EQ(read_text_file(folder.path()), L"") << "a folder is not a text file";
}

TEST(TextEncodings, ArbitraryBytesNeverBreakTheDecoders)
{
    // A fixed seed keeps the run repeatable; the sanitizers of the native tree
    // watch every access.
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<unsigned char>(state >> 16);
    };
    const int encodings[] = {text_encoding_ansi, text_encoding_utf7_bom, text_encoding_utf8,
                             text_encoding_utf8_bom, text_encoding_utf16be_bom, text_encoding_utf16le,
                             text_encoding_utf16le_bom, text_encoding_utf32be_bom, text_encoding_utf32le_bom};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(static_cast<std::size_t>(next() % 64), '\0');
        for (auto& b : bytes) {
            b = static_cast<char>(next());
        }
        const std::wstring wide = from_utf8(bytes);
        EXPECT_EQ(is_valid_utf8(bytes), wide.find(L'\xFFFD') == std::wstring::npos || bytes.find("\xEF\xBF\xBD") != std::string::npos);
        EXPECT_TRUE(is_valid_utf8(to_utf8(wide)));
        EXPECT_EQ(from_utf8(to_utf8(wide)), wide);
        const int detected = detect_text_encoding_of(bytes, bytes.size(), looks_like_utf16le,
                                                     [&] { return is_valid_utf8(bytes); });
        EXPECT_TRUE(std::find(std::begin(encodings), std::end(encodings), detected) != std::end(encodings));
        for (const int encoding : encodings) {
            if (encoding == text_encoding_utf7_bom || encoding == text_encoding_ansi) {
                continue;  // handed to the system's code-page conversion
            }
            const std::wstring text = decode_text(bytes, encoding);
            EXPECT_LE(text.size(), bytes.size() + 1);
        }
    }
}
