#include "gui_support_win.h"

#include "widgets/message_box_win.h"

#include <gtest/gtest.h>

// Run under the English locale: the buttons read "Ok" and "Cancel".
TEST(MessageBoxEnglish, ButtonsCarryEnglishLabels)
{
    ASSERT_NE(GetUserDefaultUILanguage(), 1042);
    TestHostWindow owner(L"Owner", 400, 300);
    CSCMessageBox box;
    ASSERT_TRUE(box.create(owner.hwnd(), L"Vantu Check Tool"));
    EXPECT_FALSE(box.korean());
    wchar_t text[64] = {};
    GetWindowTextW(box.button(IDOK), text, 64);
    EXPECT_STREQ(text, L"Ok");
    GetWindowTextW(box.button(IDCANCEL), text, 64);
    EXPECT_STREQ(text, L"Cancel");
    // Nothing answers: the time limit does.
    EXPECT_EQ(box.show(L"English", MB_OKCANCEL, 1), IDOK);
}
