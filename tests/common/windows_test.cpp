// Helpers that only exist on Windows, run under the Korean locale (code page 949,
// UI language 1042).
#include "common/date_time.h"
#include "common/file_utils.h"
#include "common/format.h"
#include "common/monitors_win.h"
#include "common/registry_win.h"
#include "common/shell_win.h"
#include "common/system_figures_win.h"
#include "common/text_convert_win.h"
#include "common/text_file.h"
#include "common/text_file_platform.h"
#include "common/version_info.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cwctype>
#include <future>
#include <regex>
#include <thread>

using test_files::read_bytes;
using test_files::scratch_folder;
using test_files::write_bytes;

namespace {

std::wstring lower(std::wstring text)
{
    for (auto& ch : text) {
        ch = static_cast<wchar_t>(std::towlower(ch));
    }
    return text;
}

}  // namespace

TEST(KoreanLocale, CodePageAndLanguage)
{
    ASSERT_EQ(GetACP(), 949u) << "these tests need the Korean ANSI code page; run them through scripts/wine-run";
    EXPECT_EQ(current_ui_language(), ui_language_korean);
}

TEST(KoreanLocale, AnsiConversionsAndNarrowFormatArguments)
{
    ASSERT_EQ(GetACP(), 949u) << "Korean locale required";
    EXPECT_EQ(ansi_to_wide("\xB0\xA1\xB3\xAA"), L"가나");
    EXPECT_EQ(wide_to_ansi(L"가나"), "\xB0\xA1\xB3\xAA");
    EXPECT_EQ(ansi_to_wide("\xEA\xB0\x80", CP_UTF8), L"가");
    EXPECT_EQ(wide_to_ansi(L"", CP_ACP), "");
    EXPECT_EQ(format_text(L"%S/%hs/%s", "\xB0\xA1", "\xB3\xAA", L"다"), L"가/나/다");
    EXPECT_EQ(format_text(L"%C%c", 'A', L'나'), L"A나");
}

TEST(KoreanLocale, ReadTextFilesInEveryEncoding)
{
    ASSERT_EQ(GetACP(), 949u) << "Korean locale required";
    scratch_folder folder(L"win_text");
    const std::wstring ansi = folder / L"hosts_ansi";
    ASSERT_TRUE(write_bytes(ansi, "# \xC8\xA3\xBD\xBA\xC6\xAE\r\n127.0.0.1 localhost\r\n"));
    EXPECT_EQ(detect_text_encoding(ansi), text_encoding_ansi);
    EXPECT_EQ(read_text_file(ansi), L"# 호스트\r\n127.0.0.1 localhost\r\n");

    const std::wstring utf8 = folder / L"hosts_utf8";
    ASSERT_TRUE(write_bytes(utf8, "# \xED\x98\xB8\xEC\x8A\xA4\xED\x8A\xB8\r\n"));
    EXPECT_EQ(detect_text_encoding(utf8), text_encoding_utf8);
    EXPECT_EQ(read_text_file(utf8), L"# 호스트\n");

    const std::wstring utf16 = folder / L"hosts_utf16";
    const std::wstring text = L"# 호스트\r\n::1 localhost";
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    ASSERT_TRUE(write_bytes(utf16, bytes));
    EXPECT_EQ(detect_text_encoding(utf16), text_encoding_utf16le_bom);
    EXPECT_EQ(read_text_file(utf16), text);

    // UTF-16 without a mark, recognised by the system's Unicode test.
    const std::wstring bare = folder / L"hosts_utf16_bare";
    const std::wstring plain = L"127.0.0.1 localhost\r\n# comment line for the test\r\n";
    ASSERT_TRUE(write_bytes(bare, std::string(reinterpret_cast<const char*>(plain.data()), plain.size() * 2)));
    EXPECT_EQ(detect_text_encoding(bare), text_encoding_utf16le);
    EXPECT_EQ(read_text_file(bare), plain);

    // Written in the ANSI code page.
    const std::wstring out = folder / L"out_ansi.txt";
    ASSERT_TRUE(write_text_file(out, L"가\n", false, false));
    EXPECT_EQ(read_bytes(out), "\xB0\xA1\r\n");
}

TEST(KoreanLocale, LockedFileIsReportedToTheUser)
{
    scratch_folder folder(L"win_locked");
    const std::wstring path = folder / L"locked_utf8.txt";
    ASSERT_TRUE(write_text_file(path, L"잠긴 파일"));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> reported;
    set_unreadable_file_reporter([&](const std::wstring& p) { reported.push_back(p); });
    EXPECT_EQ(read_text_file(folder / L"missing.txt"), L"") << "a missing file is not reported";
    const std::wstring text = read_text_file(path);
    set_unreadable_file_reporter(nullptr);
    CloseHandle(held);
    EXPECT_EQ(text, L"");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], path);
    EXPECT_EQ(read_text_file(path), L"잠긴 파일") << "readable again once released";
}

namespace {

struct box_search
{
    HWND found = nullptr;
    std::wstring text;
};

BOOL CALLBACK collect_box(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<box_search*>(param);
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    search->found = window;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM p) -> BOOL {
            wchar_t text[1024] = {};
            GetWindowTextW(child, text, 1024);
            reinterpret_cast<box_search*>(p)->text += text;
            reinterpret_cast<box_search*>(p)->text += L"|";
            return TRUE;
        },
        param);
    return FALSE;
}

}  // namespace

TEST(KoreanLocale, LockedFileShowsTheMessageBox)
{
    scratch_folder folder(L"win_locked_box");
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(write_text_file(path, L"127.0.0.1 localhost"));
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    std::atomic<DWORD> reader_thread{0};
    auto reading = std::async(std::launch::async, [&] {
        reader_thread = GetCurrentThreadId();
        return read_text_file(path);
    });
    // Wait for the box that the reading thread shows, at most 20 seconds.
    box_search search;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!search.found && std::chrono::steady_clock::now() < deadline &&
           reading.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (reader_thread) {
            EnumThreadWindows(reader_thread, collect_box, reinterpret_cast<LPARAM>(&search));
        }
    }
    ASSERT_NE(search.found, nullptr) << "no message box appeared";
    EXPECT_NE(search.text.find(path + L"\n\n위 파일을 열 수 없습니다. 다른 프로세스에 의해 사용중일 수 있습니다."),
              std::wstring::npos)
        << to_utf8(search.text);
    PostMessageW(search.found, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the box did not close";
    EXPECT_EQ(reading.get(), L"");
    CloseHandle(held);
}

TEST(KoreanLocale, DatesFollowTheUserInterfaceLanguage)
{
    local_time t;
    t.year = 2026;
    t.month = 12;
    t.day = 8;
    t.hour = 9;
    t.minute = 4;
    t.second = 3;
    EXPECT_EQ(format_date(t, L"-"), L"2026-12-08");
    EXPECT_EQ(format_date_time(t), L"2026-12-08 09:04:03");
    EXPECT_EQ(format_time(t, L":", false, true), L"오전  9:04:03");
    const std::wregex shape(LR"([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2})");
    EXPECT_TRUE(std::regex_match(now_text(), shape)) << to_utf8(now_text());
    EXPECT_TRUE(std::regex_match(now_text(date_time_mode_both, false, L""), std::wregex(LR"([0-9]{14})")));
}

TEST(Shell, LogicalOrderIsTheSystemsOwn)
{
    EXPECT_LT(logical_compare(L"file2.log", L"file10.log"), 0);
    EXPECT_EQ(logical_compare(L"ABC", L"abc"), 0);
    std::vector<std::wstring> paths = {L"C:\\a\\log_2.txt", L"C:\\a\\log_10.txt", L"C:\\a\\Log_1.txt"};
    sort_descending_natural(paths);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"C:\\a\\log_10.txt", L"C:\\a\\log_2.txt", L"C:\\a\\Log_1.txt"}));
    EXPECT_FALSE(show_in_explorer(module_folder() + L"\\no_such_file.zip"));
}

namespace {

struct title_search
{
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK find_titled(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<title_search*>(param);
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    if (IsWindowVisible(window) && search->title == text) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND wait_for_window(const std::wstring& title, bool present)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        title_search search{title};
        EnumWindows(find_titled, reinterpret_cast<LPARAM>(&search));
        if ((search.found != nullptr) == present || std::chrono::steady_clock::now() >= deadline) {
            return search.found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace

TEST(Shell, ExplorerOpensOnTheFilesFolder)
{
    scratch_folder folder(L"explorer_target_folder");
    const std::wstring file = folder / L"MarloCheckTool_20261208.zip";
    ASSERT_TRUE(write_bytes(file, "PK"));
    ASSERT_TRUE(show_in_explorer(file));
    const HWND window = wait_for_window(L"explorer_target_folder", true);
    ASSERT_NE(window, nullptr) << "no Explorer window on the folder appeared";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(wait_for_window(L"explorer_target_folder", false), nullptr) << "the Explorer window stayed open";
}

TEST(VersionResource, OwnExecutable)
{
    EXPECT_EQ(get_version_string(L"", L"FileVersion"), L"1.0.0.1");
    EXPECT_EQ(get_version_string(module_file_path(), L"ProductVersion"), L"1.0.0.1");
    EXPECT_EQ(get_version_string(L"", L"FileDescription"), L"Vantu Check Tool test common_windows_test");
    EXPECT_EQ(get_version_string(L"", L"NoSuchKey"), L"");
    scratch_folder folder(L"win_version");
    ASSERT_TRUE(write_bytes(folder / L"plain.dll", "not a program"));
    EXPECT_EQ(get_version_string(folder / L"plain.dll", L"FileVersion"), L"");
    EXPECT_EQ(get_version_string(folder / L"missing.exe", L"FileVersion"), L"");
}

TEST(Registry, TypedReadsRejectOtherTypes)
{
    const wchar_t* const key_path = L"Software\\VantuTest";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD dword = 0x12345678;
    const unsigned long long qword = 5;
    const std::wstring sz = L"가나 value";
    const std::wstring expand = L"%SystemRoot%\\system32";
    const BYTE binary[4] = {1, 2, 3, 4};
    RegSetValueExW(key, L"dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof(dword));
    RegSetValueExW(key, L"qword", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&qword), sizeof(qword));
    RegSetValueExW(key, L"binary4", 0, REG_BINARY, binary, sizeof(binary));
    RegSetValueExW(key, L"sz", 0, REG_SZ, reinterpret_cast<const BYTE*>(sz.c_str()),
                   static_cast<DWORD>((sz.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand.c_str()),
                   static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t)));
    // Stored without its terminating zero.
    RegSetValueExW(key, L"unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 3 * sizeof(wchar_t));
    RegCloseKey(key);

    DWORD d = 7;
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, key_path, L"dword", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 0x12345678u);
    d = 7;
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, key_path, L"qword", d), 1804);
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, key_path, L"binary4", d), 1804) << "four bytes, wrong type";
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, key_path, L"sz", d), 1804);
    EXPECT_EQ(d, 7u) << "the caller's value stays";
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, key_path, L"missing", d), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(read_registry_dword(HKEY_CURRENT_USER, L"Software\\VantuTest\\NoKey", L"dword", d), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(d, 7u);

    std::wstring s = L"before";
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"sz", s), ERROR_SUCCESS);
    EXPECT_EQ(s, sz);
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"expand", s), ERROR_SUCCESS);
    EXPECT_EQ(lower(s), lower(special_folder_path(CSIDL_WINDOWS) + L"\\system32"));
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"unterminated", s), ERROR_SUCCESS);
    EXPECT_EQ(s, L"abc");
    s = L"before";
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"dword", s), 1804);
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"binary4", s), 1804);
    EXPECT_EQ(read_registry_string(HKEY_CURRENT_USER, key_path, L"missing", s), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(s, L"before");

    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key_path), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, key_path, 0, KEY_READ, &gone), ERROR_SUCCESS);
}

TEST(SystemFigures, MemoryDisksFoldersAndName)
{
    const memory_figures memory = memory_status();
    EXPECT_GT(memory.total_bytes, 0u);
    EXPECT_LE(memory.available_bytes, memory.total_bytes);

    const std::uint64_t total = disk_total_bytes(L"C");
    EXPECT_GT(total, 0u);
    EXPECT_EQ(disk_total_bytes(L"C:\\"), total);
    EXPECT_LE(disk_free_bytes(L"C"), total);
    EXPECT_EQ(disk_total_bytes(L"Q"), 0u) << "a drive that does not exist";
    EXPECT_EQ(disk_free_bytes(L""), 0u);

    const std::wstring system = special_folder_path(CSIDL_SYSTEM);
    EXPECT_EQ(lower(path_part(system, path_part_file_name)), L"system32");
    EXPECT_TRUE(folder_exists(special_folder_path(CSIDL_LOCAL_APPDATA)));
    EXPECT_FALSE(special_folder_path(CSIDL_COMMON_DOCUMENTS).empty());
    EXPECT_EQ(special_folder_path(0x7F), L"") << "an unknown folder";
    EXPECT_FALSE(computer_name().empty());
}

TEST(Monitors, PrimaryFirst)
{
    refresh_monitor_list();
    ASSERT_FALSE(g_monitors.empty()) << "the tests run with a display (Xvfb under Wine)";
    const monitor_record& primary = g_monitors.front();
    EXPECT_TRUE(primary.info.dwFlags & MONITORINFOF_PRIMARY);
    EXPECT_EQ(primary.monitor_rect.left, 0);
    EXPECT_EQ(primary.monitor_rect.top, 0);
    EXPECT_GT(primary.monitor_rect.right, 0);
    EXPECT_GT(primary.monitor_rect.bottom, 0);
    EXPECT_TRUE(primary.handle != nullptr);
    for (std::size_t i = 1; i < g_monitors.size(); ++i) {
        EXPECT_FALSE(g_monitors[i].info.dwFlags & MONITORINFOF_PRIMARY);
    }
    const std::size_t count = g_monitors.size();
    refresh_monitor_list();
    EXPECT_EQ(g_monitors.size(), count) << "the list is rebuilt, not appended to";
}
