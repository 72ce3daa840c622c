#include "check/run/check_run.h"

#include "common/format.h"
#include "common/log.h"

// The HTTP test goes through WinINet; this tree has no HTTP client, so a web
// item fails every attempt with a message that says so.
bool CCheckRun::run_http_attempt(const CCheckItem& item, CCheckParam& param, int n, ItemDiagnosis* d)
{
    param.result_code = -1;
    param.message = format_text(L"HTTP test of %s is not available in this build. retry_count : %d/%d",
                                item.title.c_str(), n, param.retry_count);
    SCLOG(3, L"%s", param.message.c_str());
    if (d) {
        d->failure = FailureKind::other;
        d->phase = FailurePhase::request;
    }
    return true;
}
