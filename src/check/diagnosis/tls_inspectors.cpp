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

void assess_certificate(TlsCertificate& certificate)
{
    if (!certificate.seen)
        return;
    // The chain's error bits as the system gives them (CERT_TRUST_IS_NOT_TIME_VALID,
    // CERT_TRUST_IS_REVOKED): a chain distrusted for these alone says nothing of
    // who issued the certificate.
    constexpr std::uint32_t kNotTimeValid = 0x1, kRevoked = 0x4;
    const std::uint32_t errors = certificate.chain_errors;
    const bool issuer_distrusted = certificate.trust == CertificateTrust::untrusted &&
                                   (errors == 0 || (errors & ~(kNotTimeValid | kRevoked)) != 0);
    // Read from the issuer's CN, O and OU only: a locality or a street is no product.
    certificate.inspected_by = find_tls_inspector(identity_fields(certificate.issuer));
    certificate.inspected = !certificate.inspected_by.empty() || issuer_distrusted;
    // Both times are local and written "YYYY-MM-DD hh:mm:ss", so text order is time order.
    const std::wstring& now = certificate.pc_time;
    certificate.outside_validity = !now.empty() && !certificate.valid_from.empty() && !certificate.valid_to.empty() &&
                                   (now < certificate.valid_from || now > certificate.valid_to);
}
