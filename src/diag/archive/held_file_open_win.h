// Opening a source file that another program may hold open, by documented means
// only: every sharing flag first; when the account is elevated, the backup
// privilege and backup semantics. Nothing looks at other processes' handles.
#pragma once

#include "diag/archive/zip_platform.h"

#include <windows.h>

#include <string>

namespace vantu::zip {

// INVALID_HANDLE_VALUE with the system's error of the last try when it fails.
HANDLE open_for_reading(const std::wstring& path, DWORD& error);
// What a CreateFileW error means for a source file.
OpenFailure open_failure_of(DWORD error, const std::wstring& path);

} // namespace vantu::zip
