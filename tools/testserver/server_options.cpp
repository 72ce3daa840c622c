#include "server_options.h"

#include <cstdlib>
#include <cstring>

namespace {

bool parse_port(const std::string& text, int& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    port = std::atoi(text.c_str());
    return port <= 65535;
}

}  // namespace

const char* server_usage()
{
    return "usage: vantu-testserver [--http PORT] [--https PORT --cert FILE --key FILE]\n"
           "         [--https-expired PORT --expired-cert FILE --expired-key FILE]\n"
           "         [--https-inspected PORT --inspected-cert FILE --inspected-key FILE]\n"
           "         [--https-443 ADDRESS] [--inspected-443 ADDRESS] [--expired-443 ADDRESS]\n"
           "         [--silent-443 ADDRESS]\n"
           "                                                  (127.x.y.z, port 443)\n"
           "         [--raw PORT] [--root DIR] [--checklist FILE] [--tqs PORT:MODE]... [--ready-file FILE]\n"
           "         [--exit-with-parent]\n"
           "PORT 0 picks any free port; every listener binds to 127.0.0.1 only.\n";
}

bool parse_server_options(int argc, char** argv, ServerOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            error = server_usage();
            return false;
        }
        if (name == "--exit-with-parent") {
            options.exit_with_parent = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + name;
            return false;
        }
        std::string value = argv[++i];
        int port = 0;
        if (name == "--http" || name == "--https" || name == "--https-expired" || name == "--https-inspected" ||
            name == "--raw") {
            if (!parse_port(value, port)) {
                error = "bad port for " + name + ": " + value;
                return false;
            }
            if (name == "--http")
                options.http_port = port;
            else if (name == "--https")
                options.https_port = port;
            else if (name == "--raw")
                options.raw_port = port;
            else if (name == "--https-inspected")
                options.https_inspected_port = port;
            else
                options.https_expired_port = port;
        } else if (name == "--cert") {
            options.cert_file = value;
        } else if (name == "--key") {
            options.key_file = value;
        } else if (name == "--expired-cert") {
            options.expired_cert_file = value;
        } else if (name == "--expired-key") {
            options.expired_key_file = value;
        } else if (name == "--inspected-cert") {
            options.inspected_cert_file = value;
        } else if (name == "--inspected-key") {
            options.inspected_key_file = value;
        } else if (name == "--https-443" || name == "--inspected-443" || name == "--expired-443" ||
                   name == "--silent-443") {
            if (value.rfind("127.", 0) != 0) {
                error = name + " takes a loopback address (127.x.y.z): " + value;
                return false;
            }
            (name == "--https-443"       ? options.https_443_address
             : name == "--inspected-443" ? options.inspected_443_address
             : name == "--silent-443"    ? options.silent_443_address
                                         : options.expired_443_address) = value;
        } else if (name == "--root") {
            options.root_dir = value;
        } else if (name == "--checklist") {
            options.checklist_file = value;
        } else if (name == "--ready-file") {
            options.ready_file = value;
        } else if (name == "--tqs") {
            auto colon = value.find(':');
            ChannelListen channel;
            if (colon == std::string::npos || !parse_port(value.substr(0, colon), channel.port) ||
                colon + 1 >= value.size()) {
                error = "bad --tqs value (PORT:MODE expected): " + value;
                return false;
            }
            channel.mode = value.substr(colon + 1);
            options.channels.push_back(channel);
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if ((options.https_port || !options.https_443_address.empty()) &&
        (options.cert_file.empty() || options.key_file.empty())) {
        error = "--https and --https-443 need --cert and --key";
        return false;
    }
    if ((options.https_expired_port || !options.expired_443_address.empty()) &&
        (options.expired_cert_file.empty() || options.expired_key_file.empty())) {
        error = "--https-expired and --expired-443 need --expired-cert and --expired-key";
        return false;
    }
    if ((options.https_inspected_port || !options.inspected_443_address.empty()) &&
        (options.inspected_cert_file.empty() || options.inspected_key_file.empty())) {
        error = "--https-inspected and --inspected-443 need --inspected-cert and --inspected-key";
        return false;
    }
    return true;
}
