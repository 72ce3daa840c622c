#include "check/diagnosis/connect_probe.h"

#include "common/text_convert.h"

namespace {

class SystemProbeLayer final : public ConnectProbeLayer
{
public:
    bool resolve_ipv4(const std::string& host, std::uint32_t& address) override
    {
        return socket_api::startup() && socket_api::resolve_ipv4(host, address);
    }
    socket_handle create_tcp() override { return socket_api::create_tcp(); }
    bool no_syn_retransmissions(socket_handle s) override { return socket_api::set_no_syn_retransmissions(s); }
    bool connect_within(socket_handle s, std::uint32_t address, int port, int timeout_ms) override
    {
        return socket_api::connect_within(s, address, port, timeout_ms);
    }
    int last_error() override { return socket_api::last_error(); }
    void close(socket_handle s) override { socket_api::close(s); }
};

// "host:port", "[v6]:port" or "host" (port 0).
void split_endpoint(const std::wstring& endpoint, std::string& host, int& port)
{
    std::wstring h = endpoint;
    port = 0;
    const size_t colon = h.rfind(L':');
    const size_t bracket = h.rfind(L']');
    if (colon != std::wstring::npos && (bracket == std::wstring::npos || colon > bracket)) {
        const std::wstring digits = h.substr(colon + 1);
        h.erase(colon);
        if (!digits.empty() && digits.size() <= 5 && digits.find_first_not_of(L"0123456789") == std::wstring::npos)
            port = std::stoi(digits);
    }
    if (h.size() >= 2 && h.front() == L'[' && h.back() == L']')
        h = h.substr(1, h.size() - 2);
    host = to_utf8(h);
}

} // namespace

ConnectProbeLayer& system_probe_layer()
{
    static SystemProbeLayer layer;
    return layer;
}

ProbeOutcome probe_connect(ConnectProbeLayer& layer, const std::string& host, int port, int allowance_ms)
{
    if (port <= 0 || port > 65535)
        return ProbeOutcome::failed;
    std::uint32_t address = 0;
    if (!layer.resolve_ipv4(host, address))
        return ProbeOutcome::no_address;
    const socket_handle s = layer.create_tcp();
    if (s == invalid_socket)
        return ProbeOutcome::failed;
    layer.no_syn_retransmissions(s);
    const bool connected = layer.connect_within(s, address, port, allowance_ms);
    const int error = connected ? 0 : layer.last_error();
    layer.close(s);
    if (connected)
        return ProbeOutcome::connected;
    switch (socket_api::classify_error(error)) {
    case socket_api::error_kind::refused: return ProbeOutcome::refused;
    case socket_api::error_kind::timed_out: return ProbeOutcome::no_answer;
    case socket_api::error_kind::unreachable: return ProbeOutcome::unreachable;
    default: return ProbeOutcome::failed;
    }
}

bool connect_probe_target(const ItemDiagnosis& d, const std::wstring& item_host, int item_port, ProbeTarget& target)
{
    const bool connect_bound_reached = d.failure == FailureKind::timed_out && d.phase == FailurePhase::connect;
    if (!connect_bound_reached && d.failure != FailureKind::not_connected)
        return false;
    if (d.proxy.known && d.proxy.via_proxy) {
        split_endpoint(d.proxy.proxy, target.host, target.port);
        return !target.host.empty() && target.port > 0;
    }
    target.host = to_utf8(item_host);
    target.port = item_port;
    return !target.host.empty();
}

void apply_connect_probe(ItemDiagnosis& d, ProbeOutcome outcome)
{
    d.probe = outcome;
    switch (outcome) {
    case ProbeOutcome::refused: d.failure = FailureKind::refused; break;
    case ProbeOutcome::no_answer:
        d.failure = FailureKind::timed_out;
        if (d.timeout_ms == 0)
            d.timeout_ms = kConnectProbeAllowanceMs;
        break;
    case ProbeOutcome::unreachable: d.failure = FailureKind::unreachable; break;
    default: return;
    }
    d.phase = FailurePhase::connect;
}
