#include "check/http/http_request.h"
#include "check/run/check_codes.h"
#include "check/run/check_run.h"
#include "checklist/mask_host.h"
#include "common/log.h"

namespace {

// WinINet's "The URL is invalid": a port beyond 65535 cannot be requested.
constexpr std::int32_t kInvalidUrl = 12005;

} // namespace

bool CCheckRun::run_http_attempt(const CCheckItem& item, CCheckParam& param, int n)
{
    if (!is_tcp_port(item.port)) {
        param.result_code = kInvalidUrl;
        param.message = error_text(kInvalidUrl);
        return true;
    }
    const WebTestTarget target = web_test_target(item);
    HttpRequest request(target.host, target.port, target.path, L"GET", target.https);
    request.perform(false);
    if (request.is_success()) {
        SCLOG(0, L"%s:%d response ok. retry_count : %d/%d", mask_host(item.host).c_str(), item.port, n,
              param.retry_count);
        return true;
    }
    param.result_code = web_attempt_result(request.m_status);
    param.message = request.m_text;
    return !web_attempt_is_final(request.m_status);
}
