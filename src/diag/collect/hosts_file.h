// The system's hosts file, which can send the product's server names elsewhere.
#pragma once

#include <string>

// "<system folder>\drivers\etc\hosts" (Windows only).
std::wstring hosts_file_path();

// Its text in whatever encoding it is stored; empty when it does not exist.
std::wstring read_hosts_file();
