// The demo check list, with its port tokens filled in, is a valid check list with
// every server kind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "checklist/check_list.h"
#include "checklist/server_kinds.h"

TEST(DemoCheckList, ParsesWithEveryServerKind)
{
    const char* source = std::getenv("VANTU_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "VANTU_SOURCE_DIR is set by ctest";
    std::ifstream in(std::string(source) + "/tools/testserver/demo/checklist.json", std::ios::binary);
    ASSERT_TRUE(in) << "cannot open the demo check list";
    std::stringstream bytes;
    bytes << in.rdbuf();
    // Ports as the demo fills them in: TQS ports up to 8000, the others above.
    std::string body = bytes.str();
    const std::pair<const char*, const char*> ports[] = {
        {"\\$\\{TQS_OK_PORT\\}", "7001"},   {"\\$\\{TQS_OK_ONCE_PORT\\}", "7002"}, {"\\$\\{TQS_WRONG_COMMAND_PORT\\}", "7003"},
        {"\\$\\{PLAIN_PORT\\}", "8500"},    {"\\$\\{CLOSED_PORT\\}", "25000"},     {"\\$\\{HTTP_PORT\\}", "40000"},
    };
    for (const auto& [token, port] : ports)
        body = std::regex_replace(body, std::regex(token), port);
    ASSERT_EQ(body.find("${"), std::string::npos) << "a token the demo does not fill in";

    const CheckListParseResult r = parse_check_list(body, L"", default_server_kinds(), L"C:\\Docs");
    ASSERT_TRUE(r.ok) << std::string(r.message.begin(), r.message.end());
    EXPECT_EQ(r.log_paths[0], L"C:\\Docs\\Vantu\\Logs\\Agent");
    ASSERT_EQ(r.groups.size(), 8u);
    const size_t sizes[] = {1, 1, 1, 1, 1, 4, 1, 1};
    for (size_t g = 0; g < r.groups.size(); ++g)
        EXPECT_EQ(r.groups[g].size(), sizes[g]) << g;
    const CheckGroup& session = r.groups[5];
    EXPECT_EQ(session[0].port, 7001);
    EXPECT_EQ(session[2].port, 8500);
    EXPECT_EQ(session[3].port, 25000);
    for (const CheckGroup& group : r.groups)
        for (const CCheckItem& item : group)
            EXPECT_TRUE(item.host.empty() || item.host == L"127.0.0.1") << "the demo stays on loopback";
}
