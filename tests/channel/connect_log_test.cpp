// What connect_channel writes to the program's log when a connect fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "channel_server.h"
#include "check/channel/channel_connect.h"
#include "common/file_utils.h"
#include "common/log.h"
#include "common/text_convert.h"

using testing::HasSubstr;
using testing::Not;

namespace {

// Points the process log at a fresh folder for one test and back afterwards.
class ScratchLog {
public:
    ScratchLog() : m_folder(module_folder() + path_separator + L"channel_log")
    {
        delete_folder_tree(m_folder);
        ensure_folder(m_folder);
        m_old_folder = g_log->m_folder;
        m_old_base = g_log->m_base_name;
        g_log->m_folder = m_folder;
        g_log->m_base_name = L"channel";
    }
    ~ScratchLog()
    {
        g_log->close_file();
        g_log->m_folder = m_old_folder;
        g_log->m_base_name = m_old_base;
        delete_folder_tree(m_folder);
    }
    std::string text() const
    {
        std::string bytes;
        FILE* f = open_file_stream(g_log->get_log_path(), L"rb");
        if (!f)
            return bytes;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
        return bytes;
    }

private:
    std::wstring m_folder, m_old_folder, m_old_base;
};

} // namespace

TEST(ChannelConnectLog, EachFailureWritesItsLine)
{
    ASSERT_NE(g_log, nullptr);
    ScratchLog log;

    ChannelServer refused(ChannelMode::ok);
    ASSERT_TRUE(refused.listen("127.0.0.1", 0));
    const int refused_port = refused.port();
    refused.stop();
    ChannelServer closing(ChannelMode::close_after_key);
    ASSERT_TRUE(closing.listen("127.0.0.1", 0));
    closing.start();
    ChannelServer ok(ChannelMode::ok);
    ASSERT_TRUE(ok.listen("127.0.0.1", 0));
    ok.start();

    blastsock channel;
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", refused_port, nullptr), channel_result::no_connection);
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", closing.port(), nullptr), channel_result::key_exchange_failed);
    EXPECT_EQ(connect_channel(channel, L"127.0.0.1", ok.port(), nullptr), channel_result::ok);
    channel.Close();

    const std::string text = log.text();
    const auto line_with = [&text](const std::string& message) {
        const std::size_t at = text.find(message);
        if (at == std::string::npos)
            return std::string();
        const std::size_t begin = text.rfind('\n', at);
        return text.substr(begin == std::string::npos ? 0 : begin + 1, text.find('\r', at) - (begin + 1));
    };
    const std::string connect_line = line_with("failed to connect to the server (ip=127.0.0.1)(port=" +
                                               std::to_string(refused_port) + ")(error=");
    const std::string crypt_line = line_with("failed CryptInit() to exchange the keys (ip=127.0.0.1)(port=" +
                                             std::to_string(closing.port()) + ")(error=");
    EXPECT_THAT(connect_line, HasSubstr("[connect_channel]["));
    EXPECT_THAT(connect_line, HasSubstr("][error] "));
    EXPECT_THAT(crypt_line, HasSubstr("[connect_channel]["));
    EXPECT_THAT(crypt_line, HasSubstr("][error] "));
    // A successful connect writes nothing.
    EXPECT_THAT(text, Not(HasSubstr("(port=" + std::to_string(ok.port()) + ")")));
}
