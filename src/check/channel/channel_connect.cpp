#include "check/channel/channel_connect.h"

#include "common/log.h"
#include "common/text_convert.h"

int connect_channel(blastsock& channel, const std::wstring& ip, int port, CSessionEventListener* listener,
                    std::string* local_address)
{
    channel.Close();

    // Each failure leaves the channel closed and the socket error of its cause as
    // the thread's last error for the caller, whatever the log did meanwhile.
    if (!channel.Create()) {
        const int error = socket_api::last_error();
        SCLOG(3, L"failed to create socket (error=%d)", error);
        channel.Close();
        socket_api::set_last_error(error);
        return channel_result::socket_not_created;
    }

    if (!channel.Connect(to_system_narrow(ip), port)) {
        const int error = socket_api::last_error();
        SCLOG(3, L"failed to connect to the server (ip=%s)(port=%d)(error=%d)", ip.c_str(), port, error);
        channel.Close();
        socket_api::set_last_error(error);
        return channel_result::no_connection;
    }
    if (local_address)
        *local_address = socket_api::local_endpoint(channel.handle());

    if (!channel.SetTimeouts(channel_io_timeout_ms, channel_io_timeout_ms) || !channel.CryptInit()) {
        const int error = socket_api::last_error();
        SCLOG(3, L"failed CryptInit() to exchange the keys (ip=%s)(port=%d)(error=%d)", ip.c_str(), port, error);
        channel.Close();
        if (listener)
            listener->on_session_event(CSessionEventListener::event_key_exchange_failed, 0);
        socket_api::set_last_error(error);
        return channel_result::key_exchange_failed;
    }
    return channel_result::ok;
}
