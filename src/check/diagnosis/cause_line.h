// One short Korean line that tells why an item failed or was unstable, built
// from its diagnosis. It is shown beside the result code's own texts, never
// instead of them.
#pragma once

#include <string>

#include "check/diagnosis/item_diagnosis.h"

// Empty for an item that passed every attempt (or was not diagnosed). Addresses
// are masked as the report masks them. `tally`: the item's attempts.
std::wstring cause_line(const ItemDiagnosis& d, const AttemptTally& tally);

// What a passed item's check tolerated but the product may not: this PC's clock
// outside the server certificate's validity, a certificate of an inspecting
// product or of an unexpected issuer, or one the system distrusts (web checks
// accept any certificate). Empty when there is nothing, and for items whose
// cause line (d.cause) says it already.
std::wstring caution_line(const ItemDiagnosis& d);
