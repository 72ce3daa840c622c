#include "check/diagnosis/diagnosis_text.h"

#include "check/diagnosis/distinguished_name.h"
#include "check/diagnosis/failure_kind.h"
#include "checklist/mask_host.h"
#include "common/format.h"
#include "common/text_convert.h"

namespace {

std::wstring wide(const char* text)
{
    return from_utf8(text);
}

std::wstring masked(const std::string& address)
{
    return mask_host(from_utf8(address));
}

const wchar_t* yes_no(bool value)
{
    return value ? L"yes" : L"no";
}

} // namespace

std::wstring masked_endpoint(const std::string& endpoint)
{
    const std::size_t colon = endpoint.rfind(':');
    // "[v6]:port": the address inside the brackets, the port kept.
    if (endpoint.size() > 2 && endpoint.front() == '[' && colon != std::string::npos && colon > 0 &&
        endpoint[colon - 1] == ']')
        return masked(endpoint.substr(1, colon - 2)) + from_utf8(endpoint.substr(colon));
    if (colon == std::string::npos || endpoint.find(':') != colon)
        return masked(endpoint);
    return masked(endpoint.substr(0, colon)) + from_utf8(endpoint.substr(colon));
}

std::wstring name_resolution_text(const NameResolution& name)
{
    std::wstring text = mask_host(name.host);
    switch (name.outcome) {
    case LookupOutcome::not_done:
        return text + L" (not looked up)";
    case LookupOutcome::invalid_name:
        return text + L" (invalid host name: " + name.invalid_reason + L")";
    case LookupOutcome::literal:
        return text + L" (address, no look-up)";
    case LookupOutcome::resolved: {
        text += L" ->";
        for (std::size_t i = 0; i < name.addresses.size(); ++i)
            text += (i ? L", " : L" ") + masked(name.addresses[i]);
        return text + format_text(L" (%dms)", name.lookup_ms);
    }
    default:
        return text + format_text(L" (%s, error %d, %dms)", wide(lookup_outcome_name(name.outcome)).c_str(),
                                  name.error_code, name.lookup_ms);
    }
}

std::wstring hosts_match_text(const ItemDiagnosis& d)
{
    const HostsFileMatch& h = d.hosts;
    std::wstring state;
    switch (h.state) {
    case HostsFileState::not_read: return L"not read";
    case HostsFileState::missing: return L"no hosts file";
    case HostsFileState::unreadable: return L"cannot be read";
    case HostsFileState::binary: return L"not a text file (ignored)";
    case HostsFileState::truncated: state = L" (file larger than 4 MB: only its first 4 MB were read)"; break;
    case HostsFileState::read: break;
    }
    if (!h.mapped)
        return L"no entry for this name" + state;
    if (hosts_line_blocks(d))
        return format_text(L"line %d -> %s, blocks the name", h.line, wide(h.address.c_str()).c_str()) + state;
    return format_text(L"line %d -> %s, not among the resolved addresses: %s", h.line, masked(h.address).c_str(),
                       yes_no(hosts_address_differs(d))) +
           state;
}

std::wstring certificate_text(const TlsCertificate& tls)
{
    if (!tls.seen)
        return L"none";
    const wchar_t* trust = tls.trust == CertificateTrust::trusted     ? L"yes"
                           : tls.trust == CertificateTrust::untrusted ? L"no"
                                                                      : L"unknown";
    std::wstring text = format_text(L"subject \"%s\", issuer \"%s\", valid %s ~ %s, trusted: %s",
                                    masked_distinguished_name(tls.subject).c_str(),
                                    masked_distinguished_name(tls.issuer).c_str(), tls.valid_from.c_str(),
                                    tls.valid_to.c_str(), trust);
    if (tls.untrusted_reason != UntrustedReason::none)
        text += L" (" + wide(untrusted_reason_name(tls.untrusted_reason)) + L")";
    if (tls.chain_errors)
        text += format_text(L" (chain errors 0x%X)", static_cast<unsigned>(tls.chain_errors));
    if (tls.outside_validity)
        text += format_text(L", this PC's clock %s is outside the validity", tls.pc_time.c_str());
    if (tls.wininet_error)
        text += format_text(L", error %d", tls.wininet_error);
    text += format_text(L", inspected: %s", yes_no(tls.inspected));
    if (!tls.inspected_by.empty())
        text += L" (" + tls.inspected_by + L")";
    return text;
}

std::wstring proxy_route_text(const ProxyRoute& proxy)
{
    if (!proxy.known)
        return L"unknown";
    std::wstring text = proxy.via_proxy ? L"via proxy " + masked_endpoint(to_utf8(proxy.proxy)) : L"direct";
    if (!proxy.auto_config_url.empty()) {
        text += L"; auto-configuration script " + masked_config_url(proxy.auto_config_url) + L": ";
        switch (proxy.pac) {
        case PacOutcome::not_done: text += L"not asked, it may choose another proxy"; break;
        case PacOutcome::direct: text += L"chose direct"; break;
        case PacOutcome::proxy: text += L"chose " + masked_endpoint(to_utf8(proxy.pac_proxy)); break;
        case PacOutcome::download_failed: text += format_text(L"could not be downloaded (error %d)", proxy.pac_error); break;
        case PacOutcome::script_failed: text += format_text(L"did not run (error %d)", proxy.pac_error); break;
        case PacOutcome::timed_out: text += L"did not finish in time"; break;
        }
    }
    if (proxy.auto_detect)
        text += L"; automatic detection (WPAD) is on";
    return text;
}

std::wstring diagnosis_block(const DiagnosedItem& item)
{
    const ItemDiagnosis& d = item.diagnosis;
    std::wstring out = format_text(L"%-10s  %s  %s:%d\n", item.verdict.c_str(), item.category.c_str(),
                                   mask_host(d.name.host).c_str(), d.port);
    if (!d.cause.empty())
        out += L"  cause       : " + d.cause + L"\n";
    out += L"  name        : " + name_resolution_text(d.name) + L"\n";
    out += L"  hosts file  : " + hosts_match_text(d) + L"\n";
    if (d.failure != FailureKind::none)
        out += format_text(L"  last failure: %s (%s, error %d)\n", wide(failure_kind_name(d.failure)).c_str(),
                           wide(failure_phase_name(d.phase)).c_str(), d.error_code);
    out += L"  attempts    : " + format_text(L"%d of %d succeeded", item.tally.successes, item.tally.attempts) + L"\n";
    if (!d.local_address.empty())
        out += L"  local end   : " + masked_endpoint(d.local_address) + L"\n";
    if (!d.url.empty()) {
        out += L"  certificate : " + certificate_text(d.tls) + L"\n";
        out += L"  proxy       : " + proxy_route_text(d.proxy) + L"\n";
    }
    return out;
}

std::wstring diagnosis_report_section(const std::vector<DiagnosedItem>& items)
{
    std::wstring out = L"[Server Diagnosis]\n";
    int listed = 0;
    for (int rank = 0; rank < 3; ++rank) {
        for (const DiagnosedItem& item : items) {
            if (static_cast<int>(item.order) != rank || !item.diagnosis.diagnosed)
                continue;
            out += diagnosis_block(item);
            ++listed;
        }
    }
    if (listed == 0)
        out += L"진단 정보가 없습니다.\n";
    return out + L"\n";
}

std::wstring diagnosis_log_line(const ItemDiagnosis& d)
{
    std::wstring line = format_text(L"diagnosis %s:%d name=[%s] hosts=[%s] failure=%s/%s error=%d",
                                    mask_host(d.name.host).c_str(), d.port, name_resolution_text(d.name).c_str(),
                                    hosts_match_text(d).c_str(), wide(failure_kind_name(d.failure)).c_str(),
                                    wide(failure_phase_name(d.phase)).c_str(), d.error_code);
    if (!d.local_address.empty())
        line += L" local=" + masked_endpoint(d.local_address);
    if (!d.url.empty())
        line += L" certificate=[" + certificate_text(d.tls) + L"] proxy=[" + proxy_route_text(d.proxy) + L"]";
    if (!d.cause.empty())
        line += L" cause=" + d.cause;
    return line;
}
