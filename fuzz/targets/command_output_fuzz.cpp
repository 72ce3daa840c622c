// Console-command output of any code page, and the parsers that read the
// driver/service/process listings, the event log and the task list.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <deque>

#include "diag/collect/command_output.h"
#include "diag/collect/event_filter.h"
#include "diag/collect/interference_patterns.h"
#include "diag/collect/service_failure_config.h"
#include "diag/collect/tasklist_sort.h"

namespace {

// A one-byte code page: every byte is its own character.
std::wstring latin1(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

int fuzz_command_output(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::wstring keyword = in.wide_part();
    const std::wstring service = in.wide_part();
    const std::string_view output = in.rest();

    const std::wstring text = decode_command_output(output, latin1);
    FUZZ_REQUIRE(text.find(L'\0') == std::wstring::npos);
    if (output.find('\r') == std::string_view::npos)
        FUZZ_REQUIRE(text.find(L'\r') == std::wstring::npos);
    std::wstring strict;
    decode_utf8_strict(output, strict);

    std::wstring summary;
    match_interference_lines(text, L"driver", summary);
    match_interference_lines(text, keyword, summary);

    std::deque<std::wstring> keywords{keyword, L"Marlo"};
    filter_events(text, keywords);
    join_process_names(keywords);

    sort_tasklist(text);

    if (is_safe_service_name(service)) {
        for (const wchar_t c : {L'"', L'%', L'^', L'\n', L'\r', L'/'})
            FUZZ_REQUIRE(service.find(c) == std::wstring::npos);
    }
    service_failure_config_section(service, [&text](const std::wstring&) {
        CommandResult r;
        r.output = text;
        r.started = true;
        return r;
    });
    return 0;
}
