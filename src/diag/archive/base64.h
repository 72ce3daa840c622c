// Base64 with the standard alphabet and "=" padding.
#pragma once

#include <string>
#include <string_view>

std::string base64_encode(std::string_view bytes);
// Decodes up to the padding or a zero byte; false on a character outside the alphabet.
bool base64_decode(std::string_view text, std::string& out);
