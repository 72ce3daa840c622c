// bench_handshake [rounds]: median time of one full check attempt on loopback
// (connect, key exchange, NMS_C_START / NMS_C_START_OK, close) against the median
// time of generating the 1024-bit RSA key pair alone, which every attempt does;
// also how long a connect to a refusing port takes to fail.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "channel_server.h"
#include "check/channel/channel_connect.h"
#include "check/channel/rsa_hex.h"
#include "check/channel/tqs_command.h"

namespace {

using clock_type = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double ms_since(clock_type::time_point start)
{
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;

    ChannelServer server(ChannelMode::ok);
    if (!server.listen("127.0.0.1", 0)) {
        std::fprintf(stderr, "bench_handshake: cannot listen on loopback\n");
        return 1;
    }
    server.start();

    std::vector<double> handshakes, keys;
    blastsock channel;
    for (int i = 0; i < rounds; ++i) {
        const auto start = clock_type::now();
        std::uint16_t answer = 0;
        const bool ok = connect_channel(channel, L"127.0.0.1", server.port(), nullptr) == channel_result::ok &&
                        channel.SendCommand(NMS_C_START) && channel.RecvCommand(answer) &&
                        answer == NMS_C_START_OK;
        channel.Close();
        const double elapsed = ms_since(start);
        if (!ok) {
            std::fprintf(stderr, "bench_handshake: handshake %d failed\n", i + 1);
            return 1;
        }
        handshakes.push_back(elapsed);
    }
    for (int i = 0; i < rounds; ++i) {
        std::string private_hex, public_hex;
        const auto start = clock_type::now();
        if (!GenerateRsaKeyPair(private_hex, public_hex)) {
            std::fprintf(stderr, "bench_handshake: key generation failed\n");
            return 1;
        }
        keys.push_back(ms_since(start));
    }
    server.stop();

    // A port nobody listens on: how long the 2-second connect takes to give up.
    std::vector<double> refusals;
    const int refused_port = server.port();
    for (int i = 0; i < 5; ++i) {
        const auto start = clock_type::now();
        const int result = connect_channel(channel, L"127.0.0.1", refused_port, nullptr);
        refusals.push_back(ms_since(start));
        if (result != channel_result::no_connection) {
            std::fprintf(stderr, "bench_handshake: a closed port did not refuse (%d)\n", result);
            return 1;
        }
    }

    const double handshake_ms = median(handshakes), key_ms = median(keys);
    std::printf("rounds: %d\n", rounds);
    std::printf("handshake attempt (median): %.2f ms\n", handshake_ms);
    std::printf("RSA-1024 key generation (median): %.2f ms\n", key_ms);
    std::printf("ratio handshake / key generation: %.2f\n", key_ms > 0 ? handshake_ms / key_ms : 0.0);
    std::printf("refused connect (median of %zu): %.2f ms\n", refusals.size(), median(refusals));
    return 0;
}
