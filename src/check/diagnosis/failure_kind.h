// The kind of a failed attempt, read from the real error codes, and the names of
// the diagnosis's values as the report, the log and the JSON file write them.
#pragma once

#include <cstdint>

#include "check/diagnosis/item_diagnosis.h"

// A failed socket operation: its error code, and whether a receive found the
// connection closed by the peer.
FailureKind failure_from_socket_error(int code, bool closed_by_peer);

// A failed WinINet request. ERROR_INTERNET_CANNOT_CONNECT (12029) stands for a
// refusal, silence, no route and an unreachable proxy alike: it is
// not_connected until a probe tells them apart, never guessed from the time.
FailureKind failure_from_wininet_error(std::int32_t code);

// The phase a web request failed in, from how far it got: no connection, the
// connect (through a proxy, to the proxy); connected but nothing sent over
// HTTPS, the secure connection; else the request. Without any event, the request.
FailurePhase web_failure_phase(const WebProgress& progress, bool https);

// A server's answer other than 200: 407 asks for proxy credentials.
FailureKind failure_from_http_status(std::int32_t status);

// True for WinINet's certificate and secure-channel errors.
bool is_wininet_certificate_error(std::int32_t code);

// "refused", "timed-out", ...; "resolved", "not-found", ...; "connect", ...
const char* failure_kind_name(FailureKind kind);
const char* lookup_outcome_name(LookupOutcome outcome);
const char* failure_phase_name(FailurePhase phase);
// "connected", "refused", "no-answer", "unreachable", "no-address", "failed"; "" when not done.
const char* probe_outcome_name(ProbeOutcome outcome);

// Who is at fault for a failure, as far as the facts tell: "pc" (this PC's own
// settings or software), "network" (the path: DNS, routes, firewalls),
// "proxy" (the proxy the request went through), "server"; "" for no failure.
const char* failure_party(const ItemDiagnosis& d);
// An HTTPS request through a proxy whose status came without a secure channel:
// the proxy's answer to the tunnel request (CONNECT), not the server's.
bool proxy_answered_tunnel(const ItemDiagnosis& d);
const char* hosts_state_name(HostsFileState state);
