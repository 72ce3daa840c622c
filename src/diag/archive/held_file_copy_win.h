// Copying a file through the handle of the program that holds it open.
#pragma once

#include <string>

namespace vantu::zip {

// Finds an open handle to the file with read access in any process we may
// duplicate handles from, and copies the file's contents through it. False when
// there is none.
bool copy_through_holder(const std::wstring& from, const std::wstring& to);

} // namespace vantu::zip
