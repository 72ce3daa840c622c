#include "framework/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        settings_set_registry_key(L"Vantu", L"SettingsStoreTest");
        RegDeleteTreeW(HKEY_CURRENT_USER, settings_root_path().c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, settings_root_path().c_str());
        settings_set_registry_key(L"", L"");
    }
};

}  // namespace

TEST_F(SettingsStoreTest, ValuesLiveUnderTheApplicationsKey)
{
    EXPECT_EQ(settings_root_path(), L"Software\\Vantu\\SettingsStoreTest");
    EXPECT_EQ(settings_get_int(L"list log", L"font size", 8), 8);
    EXPECT_EQ(settings_get_string(L"list log", L"font name", L"맑은 고딕"), L"맑은 고딕");

    ASSERT_TRUE(settings_set_int(L"list log", L"font size", 11));
    ASSERT_TRUE(settings_set_string(L"list log", L"font name", L"나눔고딕"));
    ASSERT_TRUE(settings_set_int(L"CDiagResultDlg list result\\column width", L"2", -3));
    EXPECT_EQ(settings_get_int(L"list log", L"font size", 8), 11);
    EXPECT_EQ(settings_get_string(L"list log", L"font name"), L"나눔고딕");
    EXPECT_EQ(settings_get_int(L"CDiagResultDlg list result\\column width", L"2", 0), -3);

    // The values are where the registry tools would look for them.
    DWORD value = 0, size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantu\\SettingsStoreTest\\list log", L"font size",
                           RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 11u);

    // A number written as text still reads as a number; other types take the default.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantu\\SettingsStoreTest\\odd", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"42";
    RegSetValueExW(key, L"text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    const BYTE bytes[3] = {1, 2, 3};
    RegSetValueExW(key, L"binary", 0, REG_BINARY, bytes, sizeof(bytes));
    // A string stored without its terminator is read whole.
    const wchar_t bare[] = {L'a', L'b'};
    RegSetValueExW(key, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof(bare));
    RegCloseKey(key);
    EXPECT_EQ(settings_get_int(L"odd", L"text", 0), 42);
    EXPECT_EQ(settings_get_int(L"odd", L"binary", 5), 5);
    EXPECT_EQ(settings_get_string(L"odd", L"binary", L"default"), L"default");
    EXPECT_EQ(settings_get_string(L"odd", L"bare"), L"ab");
}

TEST_F(SettingsStoreTest, WithoutARegistryKeyReadsGiveDefaultsAndWritesFail)
{
    settings_set_registry_key(L"", L"");
    EXPECT_EQ(settings_root_path(), L"");
    EXPECT_FALSE(settings_set_int(L"list log", L"font size", 11));
    EXPECT_FALSE(settings_set_string(L"list log", L"font name", L"x"));
    EXPECT_EQ(settings_get_int(L"list log", L"font size", 8), 8);
    EXPECT_EQ(settings_get_string(L"list log", L"font name", L"d"), L"d");
}
