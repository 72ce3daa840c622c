// One plain connect made only for the diagnosis, to tell a refusal from silence
// and from no route when the check itself could not say: a connect that reached
// its bound (on Windows a refused SYN is retried for about two seconds before
// the refusal arrives, so a closed port looks silent within a 2-second bound),
// or a web request that WinINet failed with "cannot connect" before any
// connection. The item's verdict and times are never touched.
#pragma once

#include <cstdint>
#include <string>

#include "check/channel/socket_api.h"
#include "check/diagnosis/item_diagnosis.h"

// Longer than the stack's retries of a refused SYN, so that a refusal arrives
// as a refusal.
inline constexpr int kConnectProbeAllowanceMs = 3000;

// The socket calls the probe makes; tests replace them.
class ConnectProbeLayer
{
public:
    virtual ~ConnectProbeLayer() = default;
    virtual bool resolve_ipv4(const std::string& host, std::uint32_t& address) = 0;
    virtual socket_handle create_tcp() = 0;
    // Asks the stack not to retransmit the SYN, so that a refusal or silence
    // shows at once; false where the control is not accepted (then the
    // allowance covers the retries).
    virtual bool no_syn_retransmissions(socket_handle s) = 0;
    // Waits at most `timeout_ms`; on failure last_error() says why.
    virtual bool connect_within(socket_handle s, std::uint32_t address, int port, int timeout_ms) = 0;
    virtual int last_error() = 0;
    virtual void close(socket_handle s) = 0;
};

// The system's sockets.
ConnectProbeLayer& system_probe_layer();

ProbeOutcome probe_connect(ConnectProbeLayer& layer, const std::string& host, int port,
                           int allowance_ms = kConnectProbeAllowanceMs);

// Where the probe goes for an item: through a proxy, the proxy ("host:port");
// else the item's host and port. False when the failure needs no probe.
struct ProbeTarget
{
    std::string host;
    int port = 0;
};
bool connect_probe_target(const ItemDiagnosis& d, const std::wstring& item_host, int item_port, ProbeTarget& target);

// The failure as the probe tells it: refused, silence (timed_out), no route;
// a probe that connected or learned nothing leaves the failure as it was.
void apply_connect_probe(ItemDiagnosis& d, ProbeOutcome outcome);
