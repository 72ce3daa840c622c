#include "widgets/message_box_model.h"

#include <gtest/gtest.h>

TEST(MessageBoxModel, ButtonsLabelsAndKeys)
{
    EXPECT_EQ(message_box_buttons(0), std::vector<int>({1}));
    EXPECT_EQ(message_box_buttons(1), std::vector<int>({1, 2}));
    EXPECT_EQ(message_box_buttons(0x41), std::vector<int>({1, 2}));
    EXPECT_EQ(message_box_buttons(4 | 0x4000), std::vector<int>({6, 7, 9}));

    EXPECT_EQ(message_box_label(1, false), L"Ok");
    EXPECT_EQ(message_box_label(2, false), L"Cancel");
    EXPECT_EQ(message_box_label(1, true), L"확인");
    EXPECT_EQ(message_box_label(2, true), L"취소");
    EXPECT_EQ(message_box_label(10, true), L"다시 시도");
    EXPECT_EQ(message_box_label(12, true), L"");

    EXPECT_EQ(message_box_enter_result(0), 1);
    EXPECT_EQ(message_box_enter_result(1), 1);
    EXPECT_EQ(message_box_enter_result(5), 4);
    EXPECT_EQ(message_box_enter_result(4), 6);
    EXPECT_EQ(message_box_escape_result, 2);

    EXPECT_EQ(message_box_icon(64), 0x40u);
    EXPECT_EQ(message_box_icon(1), 0u);
    EXPECT_EQ(message_box_icon(0x50), 0u);

    EXPECT_EQ(message_box_caption(L"Vantu Check Tool", 10), L"Vantu Check Tool (10)");
    EXPECT_EQ(message_box_caption(L"Vantu Check Tool", 0), L"Vantu Check Tool");
}
