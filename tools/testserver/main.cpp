// vantu-testserver: the peer of the tests and the demo. Serves files, the check
// list and scripted answers over HTTP and HTTPS on 127.0.0.1, answers the start
// handshake on channel ports, and prints one line per request to stdout.
//
// Exit status: 0 after SIGTERM/SIGINT, 2 for a bad command line, 3 when a port
// cannot be bound (the wrapper then tries other ports), 1 for other failures.
#include "http_behaviour.h"
#include "raw_http_server.h"
#include "server_options.h"

#include <httplib.h>

#ifdef VANTU_TESTSERVER_CHANNELS
#include "channel_server.h"
#endif

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

const char kLoopback[] = "127.0.0.1";

struct Listener
{
    std::string name;        // "http", "https", "https-expired", ...
    std::string address = kLoopback;
    std::string ready_key;   // key in the ready file
    std::unique_ptr<httplib::Server> server;
    int port = 0;
    std::thread thread;
};

// Binds `listener` to the asked port (0 = any); false when the port is taken.
bool bind_listener(Listener& listener, int port)
{
    if (port == 0) {
        listener.port = listener.server->bind_to_any_port(listener.address);
        return listener.port > 0;
    }
    listener.port = port;
    return listener.server->bind_to_port(listener.address, port);
}

bool write_ready_file(const std::string& path, const std::vector<std::pair<std::string, int>>& ports)
{
    // Written under another name and renamed, so that a reader never sees half of it.
    std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!out)
            return false;
        for (const auto& [key, port] : ports)
            out << key << "=" << port << "\n";
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

// "VANTU_TS_TQS_OK_ONCE_PORT" for "ok-once"; the plain listener is VANTU_TS_PLAIN_PORT.
[[maybe_unused]] std::string channel_ready_key(const std::string& mode)
{
    if (mode == "plain")
        return "VANTU_TS_PLAIN_PORT";
    std::string key = "VANTU_TS_TQS_";
    for (char c : mode)
        key += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key + "_PORT";
}

}  // namespace

int main(int argc, char** argv)
{
    ServerOptions options;
    std::string error;
    if (!parse_server_options(argc, argv, options, error)) {
        std::fprintf(stderr, "vantu-testserver: %s\n%s", error.c_str(), server_usage());
        return 2;
    }

    // Termination signals are taken by sigwait below, in one known place,
    // instead of interrupting a server thread.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    // A wrapper killed outright (a test run's time limit) must not leave the
    // server behind.
    if (options.exit_with_parent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            return 1;
    }
    signal(SIGPIPE, SIG_IGN);

    HttpBehaviour behaviour(options.root_dir, options.checklist_file);
    std::vector<Listener> listeners;
    auto add = [&](const std::string& name, const std::string& key, std::unique_ptr<httplib::Server> server,
                   const std::string& address = kLoopback) {
        Listener listener;
        listener.name = name;
        listener.address = address;
        listener.ready_key = key;
        listener.server = std::move(server);
        listeners.push_back(std::move(listener));
    };
    if (options.http_port)
        add("http", "VANTU_TS_HTTP_PORT", std::make_unique<httplib::Server>());
    if (options.https_port)
        add("https", "VANTU_TS_HTTPS_PORT",
            std::make_unique<httplib::SSLServer>(options.cert_file.c_str(), options.key_file.c_str()));
    if (options.https_expired_port)
        add("https-expired", "VANTU_TS_HTTPS_EXPIRED_PORT",
            std::make_unique<httplib::SSLServer>(options.expired_cert_file.c_str(),
                                                 options.expired_key_file.c_str()));
    if (options.https_inspected_port)
        add("https-inspected", "VANTU_TS_HTTPS_INSPECTED_PORT",
            std::make_unique<httplib::SSLServer>(options.inspected_cert_file.c_str(),
                                                 options.inspected_key_file.c_str()));
    if (!options.https_443_address.empty())
        add("https-443", "VANTU_TS_HTTPS_443_PORT",
            std::make_unique<httplib::SSLServer>(options.cert_file.c_str(), options.key_file.c_str()),
            options.https_443_address);
    if (!options.inspected_443_address.empty())
        add("inspected-443", "VANTU_TS_INSPECTED_443_PORT",
            std::make_unique<httplib::SSLServer>(options.inspected_cert_file.c_str(),
                                                 options.inspected_key_file.c_str()),
            options.inspected_443_address);
    if (!options.expired_443_address.empty())
        add("expired-443", "VANTU_TS_EXPIRED_443_PORT",
            std::make_unique<httplib::SSLServer>(options.expired_cert_file.c_str(), options.expired_key_file.c_str()),
            options.expired_443_address);

    std::vector<std::pair<std::string, int>> ready;
    for (auto& listener : listeners) {
        if (!listener.server->is_valid()) {
            std::fprintf(stderr, "vantu-testserver: %s: cannot load the certificate or key\n",
                         listener.name.c_str());
            return 1;
        }
        int port = listener.name.ends_with("-443")      ? 443
                   : listener.name == "http"            ? *options.http_port
                   : listener.name == "https"           ? *options.https_port
                   : listener.name == "https-inspected" ? *options.https_inspected_port
                                                        : *options.https_expired_port;
        behaviour.attach(*listener.server, listener.name);
        if (!bind_listener(listener, port)) {
            std::fprintf(stderr, "vantu-testserver: %s: cannot bind %s:%d\n", listener.name.c_str(),
                         listener.address.c_str(), port);
            return 3;
        }
        ready.emplace_back(listener.ready_key, listener.port);
    }

    RawHttpServer raw;
    if (options.raw_port) {
        if (!raw.listen(*options.raw_port)) {
            std::fprintf(stderr, "vantu-testserver: raw: cannot bind %s:%d\n", kLoopback, *options.raw_port);
            return 3;
        }
        ready.emplace_back("VANTU_TS_RAW_PORT", raw.port());
        raw.start();
    }

#ifdef VANTU_TESTSERVER_CHANNELS
    std::vector<std::unique_ptr<ChannelServer>> channels;
    for (const auto& channel : options.channels) {
        ChannelMode mode;
        if (!parse_channel_mode(channel.mode, mode)) {
            std::fprintf(stderr, "vantu-testserver: unknown channel mode %s\n", channel.mode.c_str());
            return 2;
        }
        auto server = std::make_unique<ChannelServer>(mode);
        if (!server->listen(kLoopback, channel.port)) {
            std::fprintf(stderr, "vantu-testserver: channel %s: cannot bind %s:%d\n", channel.mode.c_str(),
                         kLoopback, channel.port);
            return 3;
        }
        ready.emplace_back(channel_ready_key(channel.mode), server->port());
        channels.push_back(std::move(server));
    }
    if (!options.silent_443_address.empty()) {
        auto silent = std::make_unique<ChannelServer>(ChannelMode::hold);
        if (!silent->listen(options.silent_443_address, 443)) {
            std::fprintf(stderr, "vantu-testserver: cannot bind %s:443\n", options.silent_443_address.c_str());
            return 3;
        }
        channels.push_back(std::move(silent));
    }
    for (auto& server : channels)
        server->start();
#else
    for (const auto& channel : options.channels)
        std::fprintf(stderr, "vantu-testserver: channel listener %d:%s not available in this build\n",
                     channel.port, channel.mode.c_str());
#endif

    for (auto& listener : listeners)
        listener.thread = std::thread([&listener] { listener.server->listen_after_bind(); });
    // A server stopped before its thread has entered the accept loop does not
    // see the stop and runs on, so a stop signal right after the ready file
    // left the process hanging: the ready file waits until every loop runs.
    const auto loops_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (auto& listener : listeners)
        while (!listener.server->is_running() && std::chrono::steady_clock::now() < loops_deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

    if (!options.ready_file.empty() && !write_ready_file(options.ready_file, ready)) {
        std::fprintf(stderr, "vantu-testserver: cannot write %s\n", options.ready_file.c_str());
        behaviour.stop();
        for (auto& listener : listeners) {
            listener.server->stop();
            listener.thread.join();
        }
        return 1;
    }
    for (const auto& [key, port] : ready)
        std::printf("listening %s=%d\n", key.c_str(), port);
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    std::printf("stopping on signal %d\n", signal_number);
    std::fflush(stdout);

    behaviour.stop();
    for (auto& listener : listeners) {
        listener.server->stop();
        if (listener.thread.joinable())
            listener.thread.join();
    }
    raw.stop();
#ifdef VANTU_TESTSERVER_CHANNELS
    for (auto& server : channels)
        server->stop();
#endif
    return 0;
}
