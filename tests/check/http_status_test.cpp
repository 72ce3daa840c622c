#include "check/http_status.h"

#include <gtest/gtest.h>

#include <set>

TEST(HttpStatusNames, CurrentRegistryWording)
{
    EXPECT_EQ(status_name(404), L"Not Found");
    EXPECT_EQ(status_name(413), L"Content Too Large");
    EXPECT_EQ(status_name(418), L"I'm a teapot");
    EXPECT_EQ(status_name(422), L"Unprocessable Content");
    EXPECT_EQ(status_name(100), L"Continue");
    EXPECT_EQ(status_name(511), L"Network Authentication Required");
}

TEST(HttpStatusNames, CodesWithoutEntryAreNotDefined)
{
    for (int code : {306, 509, 599, 0, -1, 499, 1000})
        EXPECT_EQ(status_name(code), L"Not defined status code") << code;
}

TEST(HttpStatusNames, TableHoldsExactlySixtyTwoCodes)
{
    std::set<int> defined;
    for (int code = 0; code < 1000; ++code)
        if (status_name(code) != L"Not defined status code")
            defined.insert(code);
    EXPECT_EQ(defined.size(), 62u);
    EXPECT_EQ(*defined.begin(), 100);
    EXPECT_EQ(*defined.rbegin(), 511);
}
