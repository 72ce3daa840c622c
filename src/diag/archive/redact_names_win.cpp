// This PC's names by documented calls only: the account running the program,
// the computer's names and domain, and the profile folders under the Users folder.
#include "diag/archive/archive_redaction.h"

#include "common/text_convert.h"

#include <windows.h>
#include <userenv.h>

namespace {

std::wstring computer_name(COMPUTER_NAME_FORMAT format)
{
    DWORD size = 0;
    GetComputerNameExW(format, nullptr, &size);
    if (size == 0)
        return std::wstring();
    std::wstring name(size, L'\0');
    if (!GetComputerNameExW(format, name.data(), &size))
        return std::wstring();
    name.resize(size);
    return name;
}

} // namespace

vantu::redact::RedactNames this_pc_names()
{
    vantu::redact::RedactNames names;
    wchar_t user[256 + 1] = {};
    DWORD user_size = 256 + 1;
    if (GetUserNameW(user, &user_size))
        names.users.push_back(to_utf8(user));

    wchar_t profiles[MAX_PATH] = {};
    DWORD profiles_size = MAX_PATH;
    if (GetProfilesDirectoryW(profiles, &profiles_size)) {
        WIN32_FIND_DATAW found{};
        const std::wstring mask = std::wstring(profiles) + L"\\*";
        HANDLE h = FindFirstFileW(mask.c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
                    names.users.push_back(to_utf8(name));
            } while (FindNextFileW(h, &found));
            FindClose(h);
        }
    }

    for (COMPUTER_NAME_FORMAT format : {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsDomain}) {
        const std::wstring name = computer_name(format);
        if (!name.empty())
            names.hosts.push_back(to_utf8(name));
    }
    return merged_names(names, {});
}
