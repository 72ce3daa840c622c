// What became of one check item, and the one table of its colours: in the log
// page's list, on the result page and on the archive's front page. Portable.
#pragma once

#include "common/colour.h"

enum class ItemVerdict
{
    not_run,
    passed,   // every attempt succeeded
    unstable, // some attempts failed ("Ok (2/3)")
    failed,
    stopped,  // the run was stopped during this item
};

struct VerdictColours
{
    OptionalColour list;    // the whole row of the log page (none: the list's own)
    OptionalColour summary; // the row of the result page (which lists only unstable and failed items)
    const char* page;      // the front page's verdict cell and its counts
};

const VerdictColours& verdict_colours(ItemVerdict verdict);
