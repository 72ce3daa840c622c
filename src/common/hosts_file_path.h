// Where the system's resolver reads its hosts file: one path for the
// diagnostics that show the file and for the diagnosis that reads its lines.
#pragma once

#include <string>

// "<Windows folder>\System32\drivers\etc\hosts" on Windows, /etc/hosts elsewhere.
std::wstring system_hosts_file_path();
