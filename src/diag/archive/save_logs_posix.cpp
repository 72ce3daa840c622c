// Where the log saving works in the native tree: the user's cache folder.
#include "diag/archive/save_logs.h"


#include "common/text_convert.h"

#include <cstdlib>

std::wstring default_work_folder()
{
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return from_utf8(cache) + L"/Temp";
    if (const char* home = std::getenv("HOME"); home && *home)
        return from_utf8(home) + L"/.cache/Temp";
    return L"/tmp/Temp";
}


unsigned system_ansi_code_page()
{
    return 949; // the native tree writes UTF-8; ASCII values read alike in both
}
