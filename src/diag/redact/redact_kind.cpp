#include "diag/redact/redact_kind.h"

#include <numeric>

namespace vantu::redact {

std::string_view kind_label(RedactKind kind)
{
    static constexpr std::string_view kLabels[kRedactKindCount] = {"IP",    "MAC",  "EMAIL", "RRN",   "PHONE",
                                                                   "CARD",  "USER", "HOST",  "SECRET"};
    return kLabels[static_cast<std::size_t>(kind)];
}

std::uint64_t RedactCounts::total() const
{
    return std::accumulate(by_kind.begin(), by_kind.end(), std::uint64_t{0});
}

} // namespace vantu::redact
