#pragma once
// English reason phrases of HTTP status codes, as the result texts show them.
#include <string>

// The name of `code` from the registry table, or "Not defined status code".
// An exact lookup: no class name is derived for codes without an entry.
std::wstring status_name(int code);
