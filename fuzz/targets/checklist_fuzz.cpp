// The downloaded checklist.json as the web server (or anyone between) sends it.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include "checklist/check_list.h"
#include "checklist/mask_host.h"
#include "checklist/server_entry.h"

int fuzz_checklist(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    static const ServerKinds kinds = default_server_kinds();
    const std::wstring shown = from_utf8(body);
    const CheckListParseResult result = parse_check_list(body, shown, kinds, L"C:\\Users\\사용자\\Documents");
    FUZZ_REQUIRE(result.ok == (result.error == CheckListError::none));
    FUZZ_REQUIRE(result.ok || !result.message.empty());
    if (result.ok) {
        FUZZ_REQUIRE(!result.groups.empty());
        for (std::size_t g = 1; g < result.groups.size(); ++g) {
            for (const CCheckItem& item : result.groups[g]) {
                FUZZ_REQUIRE(item.port > 0);
                FUZZ_REQUIRE(!item.host.empty());
                FUZZ_REQUIRE(item.kind_index >= 0 && item.kind_index < static_cast<int>(kinds.size()));
                mask_host(item.host);
            }
        }
    }

    // The same text as one server entry and as a host for the log.
    ServerEntry entry;
    if (parse_server_entry(shown, entry))
        FUZZ_REQUIRE(entry.port > 0 && !entry.host.empty());
    mask_host(shown);
    wtoi(shown);
    expand_documents_token(shown, L"D:\\문서");
    return 0;
}
