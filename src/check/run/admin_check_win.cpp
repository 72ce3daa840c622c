#include "check/run/admin_check.h"

#include <windows.h>

namespace {

// An elevated token has administrator rights whatever its groups say.
bool token_is_elevated(HANDLE token)
{
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) && elevation.TokenIsElevated;
}

// Membership of BUILTIN\Administrators as the access check sees it (a group
// that UAC filtered out of the token does not count).
bool token_in_administrators(HANDLE token)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    // CheckTokenMembership needs an impersonation token.
    HANDLE impersonation = nullptr;
    BOOL member = FALSE;
    if (DuplicateToken(token, SecurityIdentification, &impersonation)) {
        if (!CheckTokenMembership(impersonation, administrators, &member))
            member = FALSE;
        CloseHandle(impersonation);
    }
    FreeSid(administrators);
    return member != FALSE;
}

} // namespace

bool is_administrator_account()
{
    // The token the calling thread acts with: its impersonation token when it has
    // one, else the process's.
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token))
        return false;
    const bool admin = token_is_elevated(token) || token_in_administrators(token);
    CloseHandle(token);
    return admin;
}
