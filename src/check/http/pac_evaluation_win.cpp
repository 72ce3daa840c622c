#include "check/http/pac_evaluation.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

#include "check/http/attempt_bound.h"

namespace {

PacAnswer ask_script(const std::wstring& script_url, const std::wstring& url, std::int32_t bound_ms)
{
    PacAnswer answer;
    HINTERNET session = WinHttpOpen(L"pac_evaluation", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        answer.outcome = PacOutcome::script_failed;
        answer.error = static_cast<std::int32_t>(GetLastError());
        return answer;
    }
    // The script's download gets the whole bound; the bound itself is ours.
    WinHttpSetTimeouts(session, bound_ms, bound_ms, bound_ms, bound_ms);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = script_url.c_str();
    options.fAutoLogonIfChallenged = FALSE;
    WINHTTP_PROXY_INFO info{};
    if (WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
        if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy && *info.lpszProxy) {
            answer.outcome = PacOutcome::proxy;
            answer.proxies = info.lpszProxy;
        } else {
            answer.outcome = PacOutcome::direct;
        }
    } else {
        const DWORD error = GetLastError();
        answer.error = static_cast<std::int32_t>(error);
        answer.outcome = error == ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT ? PacOutcome::download_failed
                         : error == ERROR_WINHTTP_TIMEOUT                 ? PacOutcome::timed_out
                                                                          : PacOutcome::script_failed;
    }
    if (info.lpszProxy)
        GlobalFree(info.lpszProxy);
    if (info.lpszProxyBypass)
        GlobalFree(info.lpszProxyBypass);
    WinHttpCloseHandle(session);
    return answer;
}

} // namespace

PacAnswer evaluate_pac(const std::wstring& script_url, const std::wstring& url, std::int32_t bound_ms)
{
    struct Job
    {
        Job(std::chrono::milliseconds limit) : bound(limit) {}
        AttemptBound bound;
        std::wstring script_url, url;
        PacAnswer answer;
    };
    auto job = std::make_shared<Job>(std::chrono::milliseconds(bound_ms + 500));
    job->script_url = script_url;
    job->url = url;
    Job* j = job.get();
    const std::int32_t inner = bound_ms;
    if (!j->bound.run(job, [j, inner] { j->answer = ask_script(j->script_url, j->url, inner); })) {
        PacAnswer late;
        late.outcome = PacOutcome::timed_out;
        return late;
    }
    return j->answer;
}
