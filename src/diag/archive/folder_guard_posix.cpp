// The folder guard's view in the native tree: the home folder and its usual
// user folders stand for the profile and its known folders.
#include "diag/archive/folder_guard.h"


#include "common/text_convert.h"

#include <climits>
#include <cstdlib>

namespace vantu::zip {

ProtectedFolders system_protected_folders()
{
    ProtectedFolders f;
    const char* home = std::getenv("HOME");
    if (home && *home) {
        f.user_profile = real_folder_path(from_utf8(home));
        for (const wchar_t* name : {L"Desktop", L"Documents", L"Downloads", L"Pictures", L"Music", L"Videos"})
            f.known.push_back(f.user_profile + L"/" + name);
    }
    return f;
}

std::wstring real_folder_path(const std::wstring& path)
{
    char buffer[PATH_MAX];
    if (!realpath(to_utf8(path).c_str(), buffer))
        return path;
    return from_utf8(buffer);
}

bool on_network_volume(const std::wstring&)
{
    return false;
}

} // namespace vantu::zip

