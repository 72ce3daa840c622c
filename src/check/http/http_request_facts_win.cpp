// What WinINet knows about a request beyond its status: the server's
// certificate and the connection's proxy settings. Read from the handles the
// request already has; nothing goes over the network.
#include "check/http/http_request_facts_win.h"

#include "common/registry_win.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstdio>

namespace {

// A certificate's names can be of any length; the report needs a line.
constexpr std::size_t kNameLimit = 512;

std::wstring capped(std::wstring text)
{
    if (text.size() > kNameLimit) {
        text.resize(kNameLimit);
        text += L"...";
    }
    return text;
}

std::wstring local_time_text(const FILETIME& utc)
{
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t))
        return std::wstring();
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::wstring name_text(const CERT_NAME_BLOB& name)
{
    const DWORD type = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;
    const DWORD n = CertNameToStrW(X509_ASN_ENCODING, const_cast<CERT_NAME_BLOB*>(&name), type, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring text(n, L'\0');
    CertNameToStrW(X509_ASN_ENCODING, const_cast<CERT_NAME_BLOB*>(&name), type, text.data(), n);
    text.resize(n - 1);
    return capped(std::move(text));
}

// Errors that mean the system does not trust the chain. Revocation that could
// not be checked is left out: closed networks cannot reach the lists.
constexpr DWORD kDistrustErrors = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_REVOKED |
                                  CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_NOT_VALID_FOR_USAGE |
                                  CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_CYCLIC | CERT_TRUST_IS_PARTIAL_CHAIN |
                                  CERT_TRUST_INVALID_BASIC_CONSTRAINTS | CERT_TRUST_IS_EXPLICIT_DISTRUST;

// The chain WinINet built for the server (Windows 8 and later).
bool read_chain(HINTERNET request, TlsCertificate& out)
{
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    DWORD size = sizeof chain;
    if (!InternetQueryOptionW(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &chain, &size) || !chain)
        return false;
    if (chain->cChain > 0 && chain->rgpChain[0]->cElement > 0) {
        const CERT_CONTEXT* leaf = chain->rgpChain[0]->rgpElement[0]->pCertContext;
        out.seen = true;
        out.subject = name_text(leaf->pCertInfo->Subject);
        out.issuer = name_text(leaf->pCertInfo->Issuer);
        out.valid_from = local_time_text(leaf->pCertInfo->NotBefore);
        out.valid_to = local_time_text(leaf->pCertInfo->NotAfter);
        out.chain_errors = chain->TrustStatus.dwErrorStatus & kDistrustErrors;
        out.trust = out.chain_errors ? CertificateTrust::untrusted : CertificateTrust::trusted;
    }
    CertFreeCertificateChain(chain);
    return out.seen;
}

std::wstring from_ansi(const char* text)
{
    if (!text)
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return capped(std::move(wide));
}

// INTERNET_CERTIFICATE_INFO as the ANSI call fills it (the header's form follows
// UNICODE and would declare wide strings).
struct CertificateInfoAnsi
{
    FILETIME ftExpiry;
    FILETIME ftStart;
    char* lpszSubjectInfo;
    char* lpszIssuerInfo;
    char* lpszProtocolName;
    char* lpszSignatureAlgName;
    char* lpszEncryptionAlgName;
    DWORD dwKeySize;
};

// The older description of the certificate: names and dates, no trust.
bool read_certificate_struct(HINTERNET request, TlsCertificate& out)
{
    CertificateInfoAnsi info{};
    DWORD size = sizeof info;
    if (!InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_CERTIFICATE_STRUCT, &info, &size))
        return false;
    out.seen = true;
    out.subject = from_ansi(info.lpszSubjectInfo);
    out.issuer = from_ansi(info.lpszIssuerInfo);
    out.valid_from = local_time_text(info.ftStart);
    out.valid_to = local_time_text(info.ftExpiry);
    for (char* text : {info.lpszSubjectInfo, info.lpszIssuerInfo, info.lpszProtocolName, info.lpszSignatureAlgName,
                       info.lpszEncryptionAlgName})
        if (text)
            LocalFree(text);
    return true;
}

std::wstring take_global_text(wchar_t* text)
{
    if (!text)
        return std::wstring();
    std::wstring copy = capped(text);
    GlobalFree(text);
    return copy;
}

} // namespace

TlsCertificate read_server_certificate(HINTERNET request)
{
    TlsCertificate certificate;
    if (!read_chain(request, certificate))
        read_certificate_struct(request, certificate);
    if (certificate.seen) {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        certificate.pc_time = local_time_text(now);
    }
    return certificate;
}

ProxySettings read_connection_proxy(HINTERNET session)
{
    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.pszConnection = nullptr; // the LAN settings
    list.dwOptionCount = 4;
    list.pOptions = options;
    DWORD size = sizeof list;
    ProxySettings settings;
    if (!InternetQueryOptionW(session, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return settings;
    settings.known = true;
    const DWORD flags = options[0].Value.dwValue;
    settings.server = take_global_text(options[1].Value.pszValue);
    settings.bypass = take_global_text(options[2].Value.pszValue);
    std::wstring script = take_global_text(options[3].Value.pszValue);
    settings.use_proxy = (flags & PROXY_TYPE_PROXY) != 0 && !settings.server.empty();
    settings.auto_detect = (flags & PROXY_TYPE_AUTO_DETECT) != 0;
    if (flags & PROXY_TYPE_AUTO_PROXY_URL)
        settings.auto_config_url = std::move(script);
    // Wine's WinINet leaves the script out of the per-connection options; the
    // user's setting is where Windows keeps it too.
    if (settings.auto_config_url.empty())
        read_registry_string(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                             L"AutoConfigURL", settings.auto_config_url);
    return settings;
}
