// Command lines of the program and of its console front end (--web-host and the
// rest), and a local check list file's bytes as the console reads them.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <vector>

#include "app/web_host_option.h"
#include "console/check_list_file.h"
#include "console/console_options.h"

int fuzz_command_line(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    std::vector<std::wstring> args;
    while (!in.rest().empty() && args.size() < 16)
        args.push_back(in.wide_part());

    const WebHostOption web = parse_web_host_option(args, L"www.vantu.co.kr", 80);
    if (web.error.empty())
        FUZZ_REQUIRE(!web.host.empty() && web.port > 0 && web.port <= 65535);
    const ConsoleOptions options = parse_console_options(args, L"www.vantu.co.kr", 80);
    if (options.error.empty() && !options.help)
        FUZZ_REQUIRE(!options.web_host.empty() && options.web_port > 0 && options.web_port <= 65535);

    check_list_file_text(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
