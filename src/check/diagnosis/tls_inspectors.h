// Products that inspect HTTPS by answering with certificates of their own, and
// the issuer names that give them away.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TlsInspector
{
    const wchar_t* product; // the name a support engineer knows it by
    const wchar_t* issuer;  // found anywhere in the issuer's name, ignoring case
};

extern const TlsInspector tls_inspectors[];
extern const std::size_t tls_inspector_count;

// The product whose issuer text the certificate issuer carries; empty for none.
std::wstring find_tls_inspector(std::wstring_view issuer);

struct TlsCertificate;
// Sets the certificate's "inspected" flag: its issuer's CN, O or OU names an
// inspecting product, or `expected_issuers` (the check list's "tls issuers";
// empty: not judged) does not name its issuer. A chain the system distrusts
// for another reason than its dates or revocation gets that reason
// (self-signed, unknown root, incomplete chain), which is not taken for
// inspection. Sets "outside_validity" when the PC's clock is outside the
// certificate's validity.
void assess_certificate(TlsCertificate& certificate, const std::vector<std::wstring>& expected_issuers = {});
