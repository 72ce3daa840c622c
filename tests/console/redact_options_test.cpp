// The console's redaction switches: --redact with --save, --redact-archive alone.
#include "console/console_options.h"

#include <gtest/gtest.h>

TEST(RedactOptions, RedactNeedsSave)
{
    ConsoleOptions o = parse_console_options({L"--save", L"--redact"}, L"x");
    EXPECT_EQ(L"", o.error);
    EXPECT_TRUE(o.save);
    EXPECT_TRUE(o.redact);
    o = parse_console_options({L"--redact"}, L"x");
    EXPECT_EQ(L"--redact needs --save", o.error);
}

TEST(RedactOptions, RedactArchiveTakesTwoFilesAndRunsAlone)
{
    ConsoleOptions o = parse_console_options({L"--redact-archive", L"in.zip", L"out.zip"}, L"x");
    EXPECT_EQ(L"", o.error);
    EXPECT_EQ(L"in.zip", o.redact_archive_in);
    EXPECT_EQ(L"out.zip", o.redact_archive_out);
    o = parse_console_options({L"--redact-archive", L"in.zip"}, L"x");
    EXPECT_EQ(L"--redact-archive needs IN.zip and OUT.zip", o.error);
    o = parse_console_options({L"--redact-archive", L"in.zip", L"--save"}, L"x");
    EXPECT_EQ(L"--redact-archive needs IN.zip and OUT.zip", o.error);
    o = parse_console_options({L"--save", L"--redact-archive", L"in.zip", L"out.zip"}, L"x");
    EXPECT_EQ(L"--redact-archive runs alone (no --save, --redact, --json or --checklist)", o.error);
}
