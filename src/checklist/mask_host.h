// Display form of a server address for the log page and the log file.
#pragma once

#include <string>
#include <string_view>

// 192.168.10.5 -> 192*******5, example.test -> example*****, localhost -> *********
// plus one more star (no dot: every character and one more are hidden).
std::wstring mask_host(std::wstring_view host);
