// Whether the account that runs the program has administrator rights.
#pragma once

// Windows: the calling thread's token (its impersonation token, else the process
// token) is elevated or is a member of the Administrators
// group. Elsewhere: the effective user is root.
bool is_administrator_account();
