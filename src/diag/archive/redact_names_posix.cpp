// The native tree's stand-in for this PC's names: the login, home folders and host name.
#include "diag/archive/archive_redaction.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

vantu::redact::RedactNames this_pc_names()
{
    vantu::redact::RedactNames names;
    if (const char* user = std::getenv("USER"))
        names.users.emplace_back(user);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/home", ec))
        if (entry.is_directory(ec))
            names.users.push_back(entry.path().filename().string());
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        names.hosts.emplace_back(host);
    return merged_names(names, {});
}
