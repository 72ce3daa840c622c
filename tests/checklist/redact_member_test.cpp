// The check list's optional "redact" member: only the literal true asks for redaction.
#include "checklist/check_list.h"

#include <gtest/gtest.h>

TEST(RedactMember, OnlyTrueAsks)
{
    EXPECT_TRUE(check_list_asks_redaction(R"({"product path agent":"C:\\A","redact":true})"));
    EXPECT_TRUE(check_list_asks_redaction("\xEF\xBB\xBF{\"redact\": true}"));
    EXPECT_FALSE(check_list_asks_redaction(R"({"redact":"true"})"));
    EXPECT_FALSE(check_list_asks_redaction(R"({"redact":1})"));
    EXPECT_FALSE(check_list_asks_redaction(R"({"redact":false})"));
    EXPECT_FALSE(check_list_asks_redaction(R"({"product path agent":"C:\\A"})"));
    EXPECT_FALSE(check_list_asks_redaction(R"([{"redact":true}])"));
    EXPECT_FALSE(check_list_asks_redaction("{\"redact\":tru"));
}

TEST(RedactMember, ParsedBesideTheDescribedMembers)
{
    const std::string list = R"({"product path agent":"C:\\A","product path viewer":"C:\\V",)"
                             R"("agent log path":"C:\\L","redact":true})";
    const CheckListParseResult r = parse_check_list(list, L"", ServerKinds{}, L"C:\\Docs");
    ASSERT_TRUE(r.ok) << std::string(r.message.begin(), r.message.end());
    EXPECT_TRUE(r.redact);
    const CheckListParseResult plain =
        parse_check_list(R"({"product path agent":"C:\\A","product path viewer":"C:\\V","agent log path":"C:\\L"})",
                         L"", ServerKinds{}, L"C:\\Docs");
    ASSERT_TRUE(plain.ok);
    EXPECT_FALSE(plain.redact);
}
