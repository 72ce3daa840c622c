// The test server's own behaviour, as the other tests rely on it: scripted answers,
// the request log, files below the root, chunked and broken bodies, HTTPS.
#include <httplib.h>
#include <openssl/bio.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

int env_port(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

class TestServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        port = env_port("VANTU_TS_HTTP_PORT");
        ASSERT_GT(port, 0) << "run under tests/support/with-testserver";
        client = std::make_unique<httplib::Client>("127.0.0.1", port);
        client->set_read_timeout(10, 0);
        ASSERT_TRUE(post("/__control/reset"));
    }

    bool post(const std::string& target)
    {
        auto res = client->Post(target.c_str());
        return res && res->status == 200;
    }

    std::string requests()
    {
        auto res = client->Get("/__control/requests");
        return res ? res->body : "<no answer>";
    }

    int port = 0;
    std::unique_ptr<httplib::Client> client;
};

TEST_F(TestServer, RulesShapeTheAnswerForTheirPath)
{
    ASSERT_TRUE(post("/__control/rule?path=api/x&status=404&body=%ED%95%9C%EA%B8%80&bom=1"
                     "&content_type=application/json"));
    auto res = client->Get("/api/x");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404);
    EXPECT_EQ(res->body, "\xEF\xBB\xBF\xED\x95\x9C\xEA\xB8\x80");
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");

    // Other paths are not affected; unknown paths are 404 with a text.
    auto other = client->Get("/api/y");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 404);
    EXPECT_EQ(other->body, "not found: /api/y\n");
}

TEST_F(TestServer, RuleWithTimesAppliesThatOftenAndNewestWins)
{
    ASSERT_TRUE(post("/__control/rule?path=/r&body=always"));
    ASSERT_TRUE(post("/__control/rule?path=/r&status=503&body=once&times=1"));
    auto first = client->Get("/r");
    auto second = client->Get("/r");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->status, 503);
    EXPECT_EQ(first->body, "once");
    EXPECT_EQ(second->status, 200);
    EXPECT_EQ(second->body, "always");
}

TEST_F(TestServer, MalformedRulesAreRefused)
{
    for (const char* target : {"/__control/rule?status=200", "/__control/rule?path=a&status=abc",
                               "/__control/rule?path=a&delay_ms=-5", "/__control/rule?path=a&colour=red"}) {
        auto res = client->Post(target);
        ASSERT_TRUE(res) << target;
        EXPECT_EQ(res->status, 400) << target;
    }
}

TEST_F(TestServer, RequestLogListsMethodPathVersionAndAgent)
{
    httplib::Headers agent = {{"User-Agent", "request_url"}};
    client->Get("/download/checklist.json", agent);
    client->Put("/p", "x", "text/plain");
    std::string log = requests();
    EXPECT_NE(log.find("GET /download/checklist.json HTTP/1.1 request_url\n"), std::string::npos) << log;
    EXPECT_NE(log.find("PUT /p HTTP/1.1 "), std::string::npos) << log;
    EXPECT_EQ(log.find("__control"), std::string::npos) << log;

    ASSERT_TRUE(post("/__control/reset"));
    EXPECT_EQ(requests(), "");
}

TEST_F(TestServer, ServesFilesBelowTheRootOnly)
{
    const char* root = std::getenv("VANTU_TS_ROOT");
    ASSERT_NE(root, nullptr);
    std::filesystem::create_directories(std::filesystem::path(root) / "download");
    std::ofstream(std::filesystem::path(root) / "download" / "checklist.json") << "{\"web\":[]}";
    auto res = client->Get("/download/checklist.json");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "{\"web\":[]}");
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");

    auto outside = client->Get("/../with-testserver");
    ASSERT_TRUE(outside);
    EXPECT_EQ(outside->status, 404);
}

TEST_F(TestServer, LargeChunkedAndBrokenBodies)
{
    ASSERT_TRUE(post("/__control/rule?path=big&size=3000000&body=0123456789"));
    auto big = client->Get("/big");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->body.size(), 3000000u);
    EXPECT_EQ(big->body.substr(2999990), "0123456789");

    ASSERT_TRUE(post("/__control/rule?path=chunks&size=100000&chunked=1&bom=1"));
    auto chunked = client->Get("/chunks");
    ASSERT_TRUE(chunked);
    EXPECT_EQ(chunked->get_header_value("Transfer-Encoding"), "chunked");
    EXPECT_EQ(chunked->body.size(), 100003u);
    EXPECT_EQ(chunked->body.substr(0, 3), "\xEF\xBB\xBF");

    // The connection drops after 5000 of 100000 announced bytes: no complete answer.
    ASSERT_TRUE(post("/__control/rule?path=cut&size=100000&abort_after=5000"));
    auto cut = client->Get("/cut");
    EXPECT_FALSE(cut && cut->body.size() == 100000u);
}

TEST_F(TestServer, EchoShowsContentTypeAndBody)
{
    auto res = client->Post("/__echo", "{\"k\":\"\xED\x95\x9C\"}", "application/json; charset=utf-8");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "Content-Type: application/json; charset=utf-8\n{\"k\":\"\xED\x95\x9C\"}");
}

TEST_F(TestServer, HttpsListenersAnswerWithTheirCertificates)
{
    ASSERT_TRUE(post("/__control/rule?path=s&body=secure"));
    for (const char* name : {"VANTU_TS_HTTPS_PORT", "VANTU_TS_HTTPS_EXPIRED_PORT"}) {
        int https_port = env_port(name);
        ASSERT_GT(https_port, 0) << name;
        httplib::SSLClient tls("127.0.0.1", https_port);
        tls.enable_server_certificate_verification(false);
        auto res = tls.Get("/s");
        ASSERT_TRUE(res) << name;
        EXPECT_EQ(res->body, "secure") << name;
    }
}

// Sign of the listener's certificate end date against now: < 0 expired, > 0 valid.
int certificate_end_versus_now(int port)
{
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    BIO* bio = BIO_new_ssl_connect(context);
    std::string target = "127.0.0.1:" + std::to_string(port);
    BIO_set_conn_hostname(bio, target.c_str());
    int result = 0;
    if (BIO_do_connect(bio) == 1 && BIO_do_handshake(bio) == 1) {
        SSL* ssl = nullptr;
        BIO_get_ssl(bio, &ssl);
        if (X509* cert = SSL_get1_peer_certificate(ssl)) {
            result = X509_cmp_current_time(X509_get0_notAfter(cert)) < 0 ? -1 : 1;
            X509_free(cert);
        }
    }
    BIO_free_all(bio);
    SSL_CTX_free(context);
    return result;
}

TEST(TestServerPorts, ExpiredListenerShowsAnExpiredCertificate)
{
    EXPECT_EQ(certificate_end_versus_now(env_port("VANTU_TS_HTTPS_PORT")), 1);
    EXPECT_EQ(certificate_end_versus_now(env_port("VANTU_TS_HTTPS_EXPIRED_PORT")), -1);
}

TEST(TestServerPorts, ClosedPortRefusesConnections)
{
    int closed = env_port("VANTU_TS_CLOSED_PORT");
    ASSERT_GT(closed, 0);
    httplib::Client client("127.0.0.1", closed);
    client.set_connection_timeout(2, 0);
    EXPECT_FALSE(client.Get("/"));
}

// Everything the raw listener sends for one request path.
std::string raw_exchange(int port, const std::string& path)
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval limit{10, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string received;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = "GET " + path + " HTTP/1.0\r\nHost: x\r\n\r\n";
        send(s, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[65536];
        for (ssize_t n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
            received.append(buffer, static_cast<size_t>(n));
    }
    close(s);
    return received;
}

TEST(TestServerRaw, BrokenAnswersAreSentByteForByte)
{
    int port = env_port("VANTU_TS_RAW_PORT");
    ASSERT_GT(port, 0);
    std::string garbage = raw_exchange(port, "/garbage-headers");
    EXPECT_EQ(garbage.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    EXPECT_NE(garbage.find("Content-Length: banana\r\n"), std::string::npos);
    EXPECT_EQ(garbage.substr(garbage.size() - 8), "survived");

    std::string huge = raw_exchange(port, "/huge-header");
    EXPECT_GT(huge.size(), 1024u * 1024u);
    EXPECT_EQ(raw_exchange(port, "/length-lie").substr(0, 48), "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n");
    EXPECT_EQ(raw_exchange(port, "/reset"), "");
    EXPECT_EQ(raw_exchange(port, "/other").rfind("HTTP/1.0 404 Not Found\r\n", 0), 0u);
}

#ifdef VANTU_TESTSERVER_CHANNELS
TEST(TestServerPorts, ChannelPortsAreInTheirRangesAndListen)
{
    for (const char* name : {"VANTU_TS_TQS_OK_PORT", "VANTU_TS_TQS_OK_ONCE_PORT", "VANTU_TS_TQS_WRONG_COMMAND_PORT",
                             "VANTU_TS_TQS_CLOSE_AFTER_KEY_PORT", "VANTU_TS_TQS_BAD_SESSION_KEY_PORT",
                             "VANTU_TS_TQS_SILENT_PORT"}) {
        int port = env_port(name);
        EXPECT_GE(port, 7000) << name;
        EXPECT_LE(port, 7999) << name;
    }
    EXPECT_GT(env_port("VANTU_TS_PLAIN_PORT"), 8000);
}
#endif

// The server binary on its own: started, stopped and refused by the tests.
class TestServerProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* server = std::getenv("VANTU_TESTSERVER");
        ASSERT_NE(server, nullptr);
        binary = server;
        folder = std::filesystem::temp_directory_path() /
                 ("vantu-testserver-test-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }

    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::filesystem::remove_all(folder);
    }

    bool start(std::vector<std::string> args)
    {
        if (pid > 0) {  // one still running from an earlier step of the test
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
        args.insert(args.begin(), binary);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        std::string log = (folder / "server.log").string();
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0;
    }

    // The exit status, or -1 when the process is still running after `limit`.
    int wait_exit(std::chrono::milliseconds limit)
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    bool wait_for_file(const std::filesystem::path& file, std::chrono::milliseconds limit)
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (std::filesystem::exists(file))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string binary;
    std::filesystem::path folder;
    pid_t pid = -1;
};

TEST_F(TestServerProcess, WritesItsReadyFileAndStopsCleanlyOnSigterm)
{
    auto ready = folder / "ready";
    auto checklist = folder / "my-list.json";
    std::ofstream(checklist) << "{\"api\":[]}";
    std::filesystem::create_directories(folder / "root" / "docs");
    std::ofstream(folder / "root" / "docs" / "a.txt") << "file below the root";
    ASSERT_TRUE(start({"--http", "0", "--ready-file", ready.string(), "--checklist", checklist.string(), "--root",
                       (folder / "root").string()}));
    ASSERT_TRUE(wait_for_file(ready, std::chrono::seconds(20)));
    std::ifstream in(ready);
    std::string line;
    std::getline(in, line);
    ASSERT_EQ(line.rfind("VANTU_TS_HTTP_PORT=", 0), 0u) << line;
    int port = std::atoi(line.c_str() + line.find('=') + 1);
    ASSERT_GT(port, 0);

    httplib::Client client("127.0.0.1", port);
    auto res = client.Get("/__control/requests");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    auto list = client.Get("/download/checklist.json");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->body, "{\"api\":[]}");
    auto file = client.Get("/docs/a.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->body, "file below the root");
    EXPECT_EQ(file->get_header_value("Content-Type"), "text/plain; charset=utf-8");

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(wait_exit(std::chrono::seconds(10)), 0);
}

// True once process `server` has ended (gone, or a zombie nobody has reaped yet).
bool process_ended(pid_t server)
{
    std::ifstream stat("/proc/" + std::to_string(server) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return true;
    size_t close_paren = text.rfind(')');
    return close_paren != std::string::npos && close_paren + 2 < text.size() && text[close_paren + 2] == 'Z';
}

TEST_F(TestServerProcess, EndsWithAParentKilledOutright)
{
    auto ready = folder / "ready";
    auto pid_file = folder / "server.pid";
    std::string script = "'" + binary + "' --exit-with-parent --http 0 --ready-file '" + ready.string() +
                         "' >/dev/null 2>&1 & echo $! > '" + pid_file.string() + "'; wait";
    binary = "/bin/sh";
    ASSERT_TRUE(start({"-c", script}));
    ASSERT_TRUE(wait_for_file(ready, std::chrono::seconds(20)));
    pid_t server = 0;
    std::ifstream(pid_file) >> server;
    ASSERT_GT(server, 0);
    EXPECT_FALSE(process_ended(server));

    ASSERT_EQ(kill(pid, SIGKILL), 0);
    waitpid(pid, nullptr, 0);
    pid = -1;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!process_ended(server) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bool ended = process_ended(server);
    if (!ended)
        kill(server, SIGKILL);
    EXPECT_TRUE(ended);
}

TEST_F(TestServerProcess, RefusesBadCommandLinesAndTakenPorts)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--http", "abc"}, {"--http", "70000"}, {"--https", "0"}, {"--tqs", "7000"},
        {"--tqs", "x:ok"}, {"--colour", "red"}, {"--http"},
    };
    for (const auto& args : bad) {
        ASSERT_TRUE(start(args));
        EXPECT_EQ(wait_exit(std::chrono::seconds(10)), 2) << args[0];
    }

    int taken = env_port("VANTU_TS_HTTP_PORT");
    ASSERT_GT(taken, 0);
    ASSERT_TRUE(start({"--http", std::to_string(taken)}));
    EXPECT_EQ(wait_exit(std::chrono::seconds(10)), 3);

    ASSERT_TRUE(start({"--https", "0", "--cert", (folder / "none.pem").string(), "--key",
                       (folder / "none.key").string()}));
    EXPECT_EQ(wait_exit(std::chrono::seconds(10)), 1);
}

}  // namespace
