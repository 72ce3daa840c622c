#include "check/diagnosis/tls_inspectors.h"

#include <cwctype>

#include "check/diagnosis/distinguished_name.h"
#include "check/diagnosis/item_diagnosis.h"

// Issuer texts as the products put them into the certificates they make. Longer,
// more specific texts come first where one contains another.
const TlsInspector tls_inspectors[] = {
    {L"Fortinet FortiGate", L"FortiGate"},
    {L"Fortinet", L"Fortinet"},
    {L"Palo Alto Networks", L"Palo Alto"},
    {L"Zscaler", L"Zscaler"},
    {L"Netskope", L"Netskope"},
    {L"Forcepoint", L"Forcepoint"},
    {L"Forcepoint (Websense)", L"Websense"},
    {L"Broadcom / Symantec Blue Coat", L"Blue Coat"},
    {L"Cisco Umbrella", L"Cisco Umbrella"},
    {L"Cisco", L"Cisco Secure"},
    {L"Check Point", L"Check Point"},
    {L"Sophos", L"Sophos"},
    {L"SonicWall", L"SonicWall"},
    {L"WatchGuard", L"WatchGuard"},
    {L"Barracuda", L"Barracuda"},
    {L"Skyhigh / McAfee Web Gateway", L"McAfee Web Gateway"},
    {L"Skyhigh Security", L"Skyhigh"},
    {L"Trend Micro", L"Trend Micro"},
    {L"Kaspersky", L"Kaspersky"},
    {L"ESET", L"ESET SSL Filter"},
    {L"Avast", L"Avast"},
    {L"AVG", L"AVG Web"},
    {L"Bitdefender", L"Bitdefender"},
    {L"Cloudflare Gateway", L"Cloudflare Managed"},
    {L"Menlo Security", L"Menlo Security"},
    {L"iboss", L"iboss"},
    {L"Lightspeed Systems", L"Lightspeed"},
    {L"ContentKeeper", L"ContentKeeper"},
    {L"Untangle", L"Untangle"},
    {L"Smoothwall", L"Smoothwall"},
    {L"Cyberoam", L"Cyberoam"},
    {L"Squid proxy", L"Squid"},
    {L"mitmproxy", L"mitmproxy"},
    {L"Fiddler", L"FiddlerRoot"},
    {L"Charles Proxy", L"Charles Proxy"},
    {L"Burp Suite", L"PortSwigger"},
    {L"SECUI", L"SECUI"},
    {L"AhnLab TrusGuard", L"TrusGuard"},
    {L"Genians", L"Genians"},
    {L"PIOLINK", L"PIOLINK"},
    {L"MONITORAPP", L"MONITORAPP"},
};
const std::size_t tls_inspector_count = sizeof tls_inspectors / sizeof tls_inspectors[0];

namespace {

bool contains_ignoring_case(std::wstring_view text, std::wstring_view part)
{
    if (part.empty() || part.size() > text.size())
        return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < part.size() && std::towlower(text[i + k]) == std::towlower(part[k]))
            ++k;
        if (k == part.size())
            return true;
    }
    return false;
}

} // namespace

std::wstring find_tls_inspector(std::wstring_view issuer)
{
    for (std::size_t i = 0; i < tls_inspector_count; ++i) {
        if (contains_ignoring_case(issuer, tls_inspectors[i].issuer))
            return tls_inspectors[i].product;
    }
    return std::wstring();
}

const char* untrusted_reason_name(UntrustedReason reason)
{
    switch (reason) {
    case UntrustedReason::self_signed: return "self-signed";
    case UntrustedReason::unknown_root: return "unknown-root";
    case UntrustedReason::incomplete_chain: return "incomplete-chain";
    case UntrustedReason::other: return "other";
    case UntrustedReason::none: break;
    }
    return "";
}

namespace {

// The chain's error bits as the system gives them (CERT_TRUST_* of wincrypt.h).
constexpr std::uint32_t kNotTimeValid = 0x1;
constexpr std::uint32_t kRevoked = 0x4;
constexpr std::uint32_t kUntrustedRoot = 0x20;
constexpr std::uint32_t kPartialChain = 0x10000;

UntrustedReason untrusted_reason(const TlsCertificate& c)
{
    if (c.trust != CertificateTrust::untrusted)
        return UntrustedReason::none;
    const std::uint32_t errors = c.chain_errors & ~(kNotTimeValid | kRevoked);
    if (c.chain_errors != 0 && errors == 0)
        return UntrustedReason::none; // dates or revocation alone: said elsewhere
    if (errors & kPartialChain)
        return UntrustedReason::incomplete_chain;
    if (errors & kUntrustedRoot)
        return !c.subject.empty() && c.subject == c.issuer ? UntrustedReason::self_signed
                                                           : UntrustedReason::unknown_root;
    return UntrustedReason::other;
}

// One of the expected issuer names is the issuer's CN or O (letter case aside).
bool issuer_expected(const std::wstring& issuer, const std::vector<std::wstring>& expected)
{
    const std::wstring fields = identity_fields(issuer);
    for (const std::wstring& name : expected) {
        if (name.empty())
            continue;
        std::size_t start = 0;
        while (start < fields.size()) {
            const std::size_t end = fields.find(L'\n', start);
            const std::wstring field = fields.substr(start, end - start);
            if (field.size() == name.size() && contains_ignoring_case(field, name))
                return true;
            start = end == std::wstring::npos ? fields.size() : end + 1;
        }
    }
    return false;
}

} // namespace

void assess_certificate(TlsCertificate& certificate, const std::vector<std::wstring>& expected_issuers)
{
    if (!certificate.seen)
        return;
    // Read from the issuer's CN, O and OU only: a locality or a street is no product.
    certificate.inspected_by = find_tls_inspector(identity_fields(certificate.issuer));
    certificate.untrusted_reason = untrusted_reason(certificate);
    certificate.inspected = !certificate.inspected_by.empty() ||
                            (!expected_issuers.empty() && !issuer_expected(certificate.issuer, expected_issuers));
    // Both times are local and written "YYYY-MM-DD hh:mm:ss", so text order is time order.
    const std::wstring& now = certificate.pc_time;
    certificate.outside_validity = !now.empty() && !certificate.valid_from.empty() && !certificate.valid_to.empty() &&
                                   (now < certificate.valid_from || now > certificate.valid_to);
}
