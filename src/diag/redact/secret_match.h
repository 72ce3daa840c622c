// Credentials: the value after a password-like key, and the user and password
// inside a URL. Only the values are replaced; keys, scheme and host stay.
#pragma once

#include "diag/redact/scan_view.h"

#include <cstddef>

namespace vantu::redact {

// Longest value replaced as one; the rest of a longer one is dropped up to its end.
inline constexpr std::size_t kSecretCap = 256;

struct SecretFound
{
    std::size_t begin = 0, end = 0;               // the value (URL: the user)
    std::size_t second_begin = 0, second_end = 0; // URL: the password, empty when none
    std::size_t resume = 0;                       // scanning goes on here
    bool keep = false;                            // already masked ("****")
    bool capped = false;                          // the value reached kSecretCap
    std::uint8_t quote = 0;                       // the value's quote, 0 when bare
};

// p starts an identifier (letters, digits, "_", ".", "-") that ends in one of
// the keys, followed by "=" or ":" and a value.
bool match_key_value(const ScanView& t, std::size_t p, SecretFound& s);
// p starts "scheme://user[:password]@".
bool match_url_credentials(const ScanView& t, std::size_t p, SecretFound& s);
// Where a value of the given quote (0: bare) ends.
bool ends_secret_value(std::uint8_t c, std::uint8_t quote);

} // namespace vantu::redact
