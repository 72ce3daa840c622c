// Natural ("logical") order of paths as Explorer sorts them: case-insensitive,
// runs of digits compared by their numeric value.
#pragma once

#include <string>
#include <vector>

namespace vantu::zip {

// <0, 0 or >0 as a sorts before, with or after b in ascending natural order.
int natural_compare(const std::wstring& a, const std::wstring& b);
// Sorts in descending natural order (the greater path first).
void sort_natural_descending(std::vector<std::wstring>& paths);

} // namespace vantu::zip
