// Byte counts as text: "1.50KB", "1,234 Bytes", "0.1GB".
#pragma once

#include <cstdint>
#include <string>

// unit: -1 chooses the unit (divide by 1024 while the value is 1000 or more) and
// three significant digits; 0 " Bytes", 1 "KB" ... 8 "YB" fixes the unit and uses
// the given decimals. Rounds up unless round_down; a value above zero never shows
// less than one unit of the last decimal.
std::wstring format_size(std::uint64_t bytes, int unit = -1, int decimals = 0, bool append_unit = true,
                         bool thousands = false, bool round_down = false);
