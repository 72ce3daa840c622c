#include "common/item_verdict.h"

const VerdictColours& verdict_colours(ItemVerdict verdict)
{
    static const VerdictColours table[] = {
        /* not_run  */ {std::nullopt, std::nullopt, "#A0522D"},
        /* passed   */ {std::nullopt, std::nullopt, "#007F00"},
        /* unstable */ {0x507FFF, 0x507FFF, "#FF7F50"},
        /* failed   */ {0xFFB22222, 0xFFB22222, "#B22222"},
        /* stopped  */ {0xFFB22222, 0xFFB22222, "#B22222"},
    };
    return table[static_cast<int>(verdict)];
}
