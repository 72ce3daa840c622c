#include "diag/redact/redactor.h"

#include <gtest/gtest.h>

using namespace vantu::redact;

TEST(RedactLines, Smoke)
{
    PseudonymTable table;
    RedactNames names;
    EXPECT_EQ(redact_text("peer=10.1.2.3:443", table, names), "peer=[IP-1]:443");
}
