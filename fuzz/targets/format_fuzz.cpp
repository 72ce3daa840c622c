// Outside texts (server names, file names, messages) as the arguments of the
// program's formats and of its log lines. Formats themselves are always the
// program's own literals, so only the arguments are data here.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include "common/format.h"
#include "common/log.h"
#include "common/log_line.h"
#include "common/size_format.h"

int fuzz_format(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const int level = in.byte() % 8;
    const int number = static_cast<int>(in.u64());
    const std::uint64_t bytes = in.u64();
    const auto width = static_cast<int>(in.u64());
    const auto precision = static_cast<int>(in.u64());
    const int unit = static_cast<int>(in.byte() % 8) - 1;
    const int decimals = in.byte() % 6;
    const std::wstring a = in.wide_part();
    const std::wstring b = in.wide_part();
    const std::string narrow(in.part());
    std::wstring message = in.wide_rest();

    const std::wstring plain = format_text(L"%s", a.c_str());
    FUZZ_REQUIRE(plain == a.substr(0, a.find(L'\0')));
    format_text(L"ip = %s, port = %d, sub_url = %s, is_https = %d", a.c_str(), number, b.c_str(), number & 1);
    format_text(L"[%-10s] %10.3s %S %hs %c %x %u %lld %5.2f%%", a.c_str(), b.c_str(), narrow.c_str(),
                narrow.c_str(), a.empty() ? L'x' : a[0], number, number, static_cast<long long>(bytes),
                static_cast<double>(number) / 7.0);
    format_text(L"%*s|%.*s|%-*d", number % 300, a.c_str(), number % 300, b.c_str(), number % 300, number);
    // Widths and precisions handed in as arguments may be anything an int holds.
    const std::wstring starred = format_text(L"%*s|%.*s|%*.*d", width, a.c_str(), precision, b.c_str(), width,
                                             precision, number);
    FUZZ_REQUIRE(starred.size() <= 3000000 + 2 * a.size() + b.size() + 32);

    format_size(bytes, unit, decimals, true, (number & 1) != 0, (number & 2) != 0);

    const local_time t{2026, 12, 9, 1, 2, 3, 4};
    strip_leading_line_feeds(message);
    build_log_line(t, a, b, level, message);
    log_file_path(a, b, t, (number & 1) != 0, L'\\');
    log_folder_from_setting(a, b, L'\\');
    vantu_log_detail::qualified_function_name(narrow.c_str());
    return 0;
}
