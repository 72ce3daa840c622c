#include "common/format.h"

#include <gtest/gtest.h>

TEST(FormatText, WideStringsAndNumbers)
{
    EXPECT_EQ(format_text(L"%s=%d", L"가나", 42), L"가나=42");
}
