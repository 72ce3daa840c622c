#pragma once
// Receives events of the channel and the server checks. The main dialog implements
// it by posting each call to its own window, so any thread may call it.
#include <string>

class CSessionEventListener {
public:
    // Event numbers passed to on_session_event by the channel code.
    static constexpr int event_key_exchange_failed = 112;
    static constexpr int event_handshake_failed = 202;

    virtual ~CSessionEventListener() = default;

    // A coded text message.
    virtual void on_session_message(int code, const std::wstring& text) = 0;
    // A numbered event with one value (event_key_exchange_failed, ...).
    virtual void on_session_event(int event, int value) = 0;
    // The session ended.
    virtual void on_session_closed() = 0;
    // Progress of the session, as a number.
    virtual void on_session_progress(int value) = 0;
};
