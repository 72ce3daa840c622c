// Reading the certificate and proxy facts of a WinINet request (Windows only).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "check/diagnosis/item_diagnosis.h"
#include "check/diagnosis/proxy_route.h"

// The server certificate of an HTTPS request that has been sent: names, dates
// and, where the system hands out the chain, whether it trusts it.
TlsCertificate read_server_certificate(HINTERNET request);

// The proxy settings of the connection WinINet uses (the LAN settings).
ProxySettings read_connection_proxy(HINTERNET session);
