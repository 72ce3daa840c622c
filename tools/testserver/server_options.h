#pragma once
// Command line of vantu-testserver.
#include <optional>
#include <string>
#include <vector>

struct ChannelListen
{
    int port = 0;
    std::string mode;  // ok, ok_once, wrong_command, close_after_key, bad_session_key, silent, plain
};

struct ServerOptions
{
    std::optional<int> http_port;           // 0: any free port
    std::optional<int> https_port;
    std::optional<int> https_expired_port;
    std::optional<int> https_inspected_port; // a certificate from a CA named like a TLS-inspecting product
    std::optional<int> raw_port;            // broken HTTP answers (raw_http_server.h)
    std::string cert_file, key_file;
    std::string expired_cert_file, expired_key_file;
    std::string inspected_cert_file, inspected_key_file;
    // Loopback addresses (127.x.y.z) that serve HTTPS on port 443, where the
    // program's web checks use HTTPS: the ordinary certificate, and the one from
    // the inspecting-looking CA. Empty: none.
    std::string https_443_address;
    std::string inspected_443_address;
    std::string expired_443_address;
    // A loopback address whose port 443 accepts connections and never answers
    // (a half-dead service, a middlebox): the TLS handshake waits for ever.
    std::string silent_443_address;
    std::string root_dir;                   // files below it are served
    std::string checklist_file;             // served as /download/checklist.json
    std::string ready_file;                 // written once every listener is up
    std::vector<ChannelListen> channels;
    bool exit_with_parent = false;          // stop when the starting process ends
};

// Parses argv; on a bad command line returns false with a message in `error`.
bool parse_server_options(int argc, char** argv, ServerOptions& options, std::string& error);

const char* server_usage();
