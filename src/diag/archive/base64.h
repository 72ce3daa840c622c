// Base64 with the standard alphabet and "=" padding.
#pragma once

#include <string>
#include <string_view>

std::string base64_encode(std::string_view bytes);
