// Products that inspect HTTPS by answering with certificates of their own, and
// the issuer names that give them away.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
// Sets the certificate's "inspected" flag: its issuer names an inspecting
// product, or the system does not trust its chain.
void assess_certificate(TlsCertificate& certificate);
