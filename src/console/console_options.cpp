#include "console/console_options.h"

#include "app/web_host_option.h"

namespace {

// "--name VALUE" or "--name=VALUE". Returns false when args[i] is not the option;
// `missing` is set when the option has no value.
bool take_value(const std::vector<std::wstring>& args, size_t& i, const std::wstring& name, std::wstring& value,
                bool& missing)
{
    const std::wstring& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind(L"--", 0) == 0) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    const std::wstring prefix = name + L"=";
    if (a.compare(0, prefix.size(), prefix) == 0) {
        value = a.substr(prefix.size());
        missing = value.empty();
        return true;
    }
    return false;
}

} // namespace

ConsoleOptions parse_console_options(const std::vector<std::wstring>& args, const std::wstring& default_host,
                                     int default_port)
{
    ConsoleOptions out;
    out.web_host = default_host;
    out.web_port = default_port;
    for (size_t i = 0; i < args.size() && out.error.empty(); ++i) {
        const std::wstring& a = args[i];
        std::wstring value;
        bool missing = false;
        if (a == L"--help" || a == L"-h" || a == L"/?") {
            out.help = true;
        } else if (a == L"--save") {
            out.save = true;
        } else if (a == L"--redact") {
            out.redact = true;
        } else if (a == L"--redact-archive") {
            if (i + 2 >= args.size() || args[i + 1].empty() || args[i + 2].empty() ||
                args[i + 1].rfind(L"--", 0) == 0 || args[i + 2].rfind(L"--", 0) == 0) {
                out.error = L"--redact-archive needs IN.zip and OUT.zip";
                break;
            }
            out.redact_archive_in = args[++i];
            out.redact_archive_out = args[++i];
        } else if (take_value(args, i, L"--web-host", value, missing)) {
            if (missing) {
                out.error = L"--web-host needs HOST[:PORT]";
                break;
            }
            const WebHostOption web = parse_web_host_option({L"--web-host", value}, default_host, default_port);
            if (!web.error.empty()) {
                out.error = web.error;
                break;
            }
            out.web_host = web.host;
            out.web_port = web.port;
        } else if (take_value(args, i, L"--checklist", value, missing)) {
            if (missing)
                out.error = L"--checklist needs a FILE";
            else
                out.checklist_file = value;
        } else if (take_value(args, i, L"--json", value, missing)) {
            if (missing)
                out.error = L"--json needs a FILE";
            else
                out.json_file = value;
        } else if (a.rfind(L"-", 0) == 0) {
            out.error = L"unknown option \"" + a + L"\"";
        } else {
            out.error = L"unexpected argument \"" + a + L"\"";
        }
    }
    if (out.error.empty() && out.redact && !out.save)
        out.error = L"--redact needs --save";
    if (out.error.empty() && !out.redact_archive_in.empty() &&
        (out.save || out.redact || !out.json_file.empty() || !out.checklist_file.empty()))
        out.error = L"--redact-archive runs alone (no --save, --redact, --json or --checklist)";
    return out;
}

std::wstring console_usage()
{
    return L"usage: marlocheck [--web-host HOST[:PORT]] [--checklist FILE] [--save [--redact]] [--json FILE] [--help]\n"
           L"       marlocheck --redact-archive IN.zip OUT.zip\n"
           L"\n"
           L"Runs every item of the check list once, prints one line per item and a summary.\n"
           L"\n"
           L"  --web-host HOST[:PORT]  download checklist.json from HOST (port 80, then 443)\n"
           L"  --checklist FILE        read a local check list instead of downloading one\n"
           L"  --save                  collect the diagnostics and write the log archive; print its path\n"
           L"  --redact                with --save: replace personal data (addresses, e-mail, registration,\n"
           L"                          phone and card numbers, user and computer names) by pseudonyms\n"
           L"  --redact-archive IN OUT redact an archive saved earlier into OUT; runs no check\n"
           L"  --json FILE             write the results to FILE as UTF-8 JSON\n"
           L"  --help                  show this text\n"
           L"\n"
           L"Exit status: 0 every item passed, 1 an item failed or was unstable,\n"
           L"2 no usable check list, 3 stopped with Ctrl+C, 4 the JSON file or the archive\n"
           L"could not be written, 64 the command line was not understood.";
}
