#include "steps/redaction_request.h"

#include "common/log.h"

#include <atomic>

namespace {
std::atomic<bool> g_requested{false};
}

void request_redaction(RedactionAsker asker)
{
    if (!g_requested.exchange(true))
        SCLOG(0, L"saved archives are redacted (asked by the %s)",
              asker == RedactionAsker::check_list ? L"check list" : L"command line");
}

bool redaction_requested()
{
    return g_requested.load();
}
