// The one modal loop of the program's windows, used by the dialogs and the
// message box, and the owner it keeps disabled meanwhile.
#pragma once

#include <windows.h>

#include <functional>

enum class ModalEnd {
    ended,   // `ended()` said so
    quit,    // a WM_QUIT came; it is posted again for the enclosing loop
    failed,  // GetMessage failed
};

// Runs this thread's messages until `ended()` holds (checked before each
// message). Each message goes to `pre_translate` first; when it takes the
// message (true), the loop neither translates nor dispatches it.
ModalEnd run_modal_loop(const std::function<bool()>& ended, const std::function<bool(MSG&)>& pre_translate);

// Disables a modal window's owner and enables it again, at restore() or at
// the end of the scope, if it was enabled to begin with: an owner that
// something else has disabled stays as it is.
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner);
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;
    ~DisabledOwner() { restore(); }
    void restore();

private:
    HWND m_owner;
    bool m_was_enabled;
};
