// Prints how long the portable parsing takes on outputs of a busy PC's size.
#include "diag/collect/command_output.h"
#include "diag/collect/event_filter.h"
#include "diag/collect/interference_patterns.h"
#include "diag/collect/tasklist_sort.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

template <typename F>
double milliseconds(F&& work, int rounds)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

} // namespace

int main()
{
    std::wstring tasklist = L"Image Name                     PID Session Name\n========================= ======== ================\n";
    for (int i = 0; i < 5000; ++i)
        tasklist += L"process" + std::to_wstring((i * 7919) % 5000) + L".exe   " + std::to_wstring(i) + L" Console\r\n";

    std::wstring listing;
    for (int i = 0; i < 10000; ++i)
        listing += L"service" + std::to_wstring(i) + L"   Some Company Ltd.   C:\\Program Files\\Vendor\\svc.exe\n";
    listing += L"AnyDesk   philandro Software GmbH   AnyDesk Service\n";

    std::wstring events;
    for (int i = 0; i < 500; ++i)
        events += L"Event[" + std::to_wstring(i) + L"]:\n  Log Name: Application\n  Source: Application Error\n"
                  L"  Description:\nFaulting application name: " + (i % 50 ? L"other.exe" : L"VantuViewer.exe")
                  + L", version: 1.0.0.0\n" + std::wstring(600, L'.') + L"\n";

    std::string bytes;
    while (bytes.size() < 10 * 1024 * 1024)
        bytes += "\xEC\x84\xB1\xEA\xB3\xB5 line of output\r\n";
    auto latin1 = [](std::string_view b) { return std::wstring(b.begin(), b.end()); };

    std::printf("sort_tasklist, 5000 rows:                %8.2f ms\n", milliseconds([&] { sort_tasklist(tasklist); }, 20));
    std::printf("match_interference_lines, 10000 lines:   %8.2f ms\n", milliseconds([&] {
                    std::wstring summary;
                    match_interference_lines(listing, L"서비스", summary);
                }, 5));
    std::printf("filter_events, 500 events (%zu KB):     %8.2f ms\n", events.size() * sizeof(wchar_t) / 1024,
                milliseconds([&] { filter_events(events, {L"VantuHostSvr.exe", L"VantuViewer.exe"}); }, 20));
    std::printf("decode_command_output, 10 MB UTF-8:      %8.2f ms\n",
                milliseconds([&] { decode_command_output(bytes, latin1); }, 5));
    return 0;
}
