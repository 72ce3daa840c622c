// The account check decides from the process token. Wine's default user is an
// administrator, so the check must pass there and agree with the token.
#include <gtest/gtest.h>

#include <windows.h>

#include "check/run/admin_check.h"
#include "check/run/check_codes.h"
#include "check/run/check_run.h"

namespace {

// Independent reading of the token: membership of BUILTIN\Administrators as the
// current thread's effective token sees it.
bool token_says_admin()
{
    BYTE sid_buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(sid_buffer);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid_buffer, &size))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, sid_buffer, &member))
        return false;
    HANDLE token = nullptr;
    bool elevated = false;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION e = {};
        DWORD n = 0;
        elevated = GetTokenInformation(token, TokenElevation, &e, sizeof(e), &n) && e.TokenIsElevated;
        CloseHandle(token);
    }
    return member || elevated;
}

} // namespace

TEST(AdminCheck, AgreesWithTheToken)
{
    const bool expected = token_says_admin();
    EXPECT_EQ(is_administrator_account(), expected);

    CCheckRun run;
    CCheckParam param(0, 0);
    const bool passed = CCheckRun::check_administrator(run, param);
    EXPECT_EQ(passed, expected);
    EXPECT_EQ(param.result_code, expected ? CHECK_OK : CHECK_NOT_ADMIN);
    // No attempts and no time for the account check.
    EXPECT_EQ(param.attempt_count, 0);
    EXPECT_EQ(param.longest_ms, 0);
}

TEST(AdminCheck, WineDefaultUserIsAnAdministrator)
{
    // Wine's user runs with an elevated administrator token.
    EXPECT_TRUE(is_administrator_account());
}

TEST(AdminCheck, ARestrictedTokenWithoutTheAdministratorsGroupIsRefused)
{
    // A token made here: the process's limited (linked) token where the system
    // offers one, with the Administrators group turned into deny-only.
    HANDLE process_token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process_token));
    HANDLE base = process_token;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    if (GetTokenInformation(process_token, TokenElevationType, &type, sizeof(type), &size) &&
        type == TokenElevationTypeFull &&
        GetTokenInformation(process_token, TokenLinkedToken, &linked, sizeof(linked), &size))
        base = linked.LinkedToken;
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof(admins);
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &sid_size));
    SID_AND_ATTRIBUTES deny = {admins, 0};
    HANDLE restricted = nullptr;
    ASSERT_TRUE(CreateRestrictedToken(base, DISABLE_MAX_PRIVILEGE, 1, &deny, 0, nullptr, 0, nullptr, &restricted))
        << GetLastError();

    ASSERT_TRUE(ImpersonateLoggedOnUser(restricted)) << GetLastError();
    const bool admin = is_administrator_account();
    CCheckRun run;
    CCheckParam param(0, 0);
    const bool passed = CCheckRun::check_administrator(run, param);
    RevertToSelf();

    EXPECT_FALSE(admin);
    EXPECT_FALSE(passed);
    EXPECT_EQ(param.result_code, 90002);
    // Back on the process token the account is an administrator again.
    EXPECT_TRUE(is_administrator_account());
    CloseHandle(restricted);
    if (linked.LinkedToken)
        CloseHandle(linked.LinkedToken);
    CloseHandle(process_token);
}
