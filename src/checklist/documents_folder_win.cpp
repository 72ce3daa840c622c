#include "checklist/documents_folder.h"

#include <windows.h>
#include <shlobj.h>

std::wstring user_documents_folder()
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE))
        return {};
    return path;
}
