// What the attempts of one check item learned about why its server could or
// could not be reached: the name look-up, the hosts file, the kind of the last
// failure, the connection's local end, the HTTPS certificate and the proxy. Kept
// by the run beside the item's result; shown as a cause line and a report section.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class LookupOutcome
{
    not_done,          // the item has no host, or the diagnosis was off
    invalid_name,      // empty, too long, blanks or characters a host name cannot have
    literal,           // an address was written, nothing to look up
    resolved,
    not_found,         // the name does not exist
    no_data,           // the name exists but has no address
    temporary_failure, // the name server did not answer
    failed,            // any other resolver error
};

struct NameResolution
{
    std::wstring host; // as written in the check list
    LookupOutcome outcome = LookupOutcome::not_done;
    std::vector<std::string> addresses; // IPv4 and IPv6, in the resolver's order
    std::int32_t lookup_ms = 0;
    std::int32_t error_code = 0; // the resolver's own code when it failed
    std::wstring invalid_reason; // for invalid_name: what is wrong with it
};

enum class HostsFileState
{
    not_read,   // the diagnosis was off
    missing,    // no hosts file: nothing is redirected
    unreadable, // it exists but could not be opened
    binary,     // not text: the system ignores it as well
    read,
    truncated,  // larger than the part that was read
};

struct HostsFileMatch
{
    HostsFileState state = HostsFileState::not_read;
    bool mapped = false;
    std::string address; // where the hosts file sends the name
    int line = 0;        // 1-based line of the first entry naming it
};

// Kind of the last failed attempt, from the real error codes.
enum class FailureKind
{
    none,
    invalid_name,
    name_not_resolved,
    no_socket,         // the system gave no socket
    refused,           // nothing listens on the port (the peer answered with a reset)
    timed_out,         // no answer within the time bound
    unreachable,       // no route to the network or host
    reset,             // the peer (or a device between) reset an open connection
    closed_by_peer,    // the peer closed the connection during the exchange
    aborted_here,      // this PC's own stack abandoned the connection (10053)
    key_exchange_failed,
    wrong_answer,
    tls_failure,
    http_status,       // the server answered with a status other than 200
    answer_cut,        // the server answered (http_status) but its body broke off
    proxy_auth_required,
    not_connected,     // no connection was made, and nothing told a refusal from silence
    other,
};

// Where in the attempt the failure happened.
enum class FailurePhase
{
    none,
    connect,
    key_exchange,
    handshake, // NMS_C_START / NMS_C_START_OK
    tls,       // the HTTPS secure connection, after the TCP connection was made
    request,   // the HTTP request
};

// How far a web request got, as WinINet's status callback reported it. Through
// a proxy, "connected" is the connection to the proxy.
struct WebProgress
{
    bool reported = false;          // any event came (none: the phase is not known)
    bool resolving = false;
    bool name_resolved = false;
    bool connecting = false;
    bool connected = false;
    bool request_sent = false;
    bool response_received = false;
    bool response_bytes = false;    // the response brought at least one byte
    bool secure_channel = false;    // an HTTPS request's secure channel to the server was made
};

// A plain connect made only for the diagnosis, after a connect that reached its
// bound or a web request that made no connection: refused, silent or no route.
enum class ProbeOutcome
{
    not_done,
    connected,   // the port accepts a connection now
    refused,
    no_answer,   // nothing came back within the probe's time
    unreachable, // no route to the network or host
    no_address,  // no IPv4 address to try
    failed,      // no socket, or an error that tells nothing
};

enum class CertificateTrust
{
    unknown,
    trusted,
    untrusted,
};

// Why the system does not trust a chain, when not for its dates or revocation.
enum class UntrustedReason
{
    none,
    self_signed,      // the server's certificate signs itself
    unknown_root,     // a root this PC does not have (a private CA not installed here)
    incomplete_chain, // an intermediate certificate missing (common on closed networks)
    other,
};
// "self-signed", "unknown-root", "incomplete-chain", "other"; "" for none.
const char* untrusted_reason_name(UntrustedReason reason);

struct TlsCertificate
{
    bool seen = false;
    std::wstring subject;
    std::wstring issuer;
    std::wstring valid_from; // local time, "2026-12-09 10:05:03"
    std::wstring valid_to;
    std::wstring pc_time;    // this PC's clock when the certificate was read, in the same form
    bool outside_validity = false; // pc_time is before valid_from or after valid_to
    CertificateTrust trust = CertificateTrust::unknown;
    std::uint32_t chain_errors = 0;  // the system's chain trust error bits
    std::int32_t wininet_error = 0;  // WinINet's certificate error, where the request failed on one
    UntrustedReason untrusted_reason = UntrustedReason::none;
    // Issued by a TLS-inspecting product (its CN, O or OU names one), or by an
    // issuer that is not one the check list expects ("tls issuers").
    bool inspected = false;
    std::wstring inspected_by;       // the product whose name the issuer carries; empty when unknown
};

// What the connection's auto-configuration script answered for a URL.
enum class PacOutcome
{
    not_done,        // no script, or not asked
    direct,
    proxy,           // pac_proxy serves the URL
    download_failed, // the script could not be fetched
    script_failed,   // it did not parse or threw
    timed_out,       // it ran past the bound
};

struct ProxyRoute
{
    bool known = false;
    bool via_proxy = false;
    std::wstring proxy;           // "host:port" that serves this URL
    std::wstring auto_config_url; // a script decides (see pac)
    bool auto_detect = false;     // WPAD may find a proxy; not known here
    PacOutcome pac = PacOutcome::not_done;
    std::wstring pac_proxy;       // the script's first proxy, "host:port"
    std::int32_t pac_error = 0;   // WinHTTP's code when it failed
};

// One attempt of an item: how long it took and its result code (0 passed).
struct AttemptRecord
{
    std::int32_t ms = 0;
    std::int32_t code = 0;
};

// How many attempts an item made and how many of them succeeded: the run's
// outcome of the item keeps them, the diagnosis's texts count with them.
struct AttemptTally
{
    std::int32_t attempts = 0;
    std::int32_t successes = 0;
};

struct ItemDiagnosis
{
    bool diagnosed = false;
    NameResolution name;
    HostsFileMatch hosts;
    FailureKind failure = FailureKind::none; // of the last failed attempt
    FailurePhase phase = FailurePhase::none;
    std::int32_t error_code = 0;   // the system's or WinINet's code behind the failure
    std::int32_t http_status = 0;  // for http_status and proxy_auth_required
    std::int32_t answer = 0;       // the command of a wrong answer
    std::string local_address;     // "10.0.0.5:50123" of the last connection made
    std::wstring url;              // what an HTTP item requested
    WebProgress web;               // how far the last failed web attempt got
    ProbeOutcome probe = ProbeOutcome::not_done;
    TlsCertificate tls;
    ProxyRoute proxy;
    std::int32_t port = 0;
    std::int32_t timeout_ms = 0;   // the bound a timed-out attempt hit
    std::wstring cause;            // the Korean cause line; empty for a clean pass
};

// True when the hosts file maps the name to an address that is not among the
// resolved ones (compared as addresses, never as text or masked).
bool hosts_address_differs(const ItemDiagnosis& d);
// True when the hosts file sends a name that is not this PC's own to 0.0.0.0,
// ::, or a loopback address: the line blocks the name (an ad blocker's or a
// security tool's entry), whatever the server does.
bool hosts_line_blocks(const ItemDiagnosis& d);
