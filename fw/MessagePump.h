// The window thread's one message pump: a filter in front of dispatching, as in WTL, a drain of
// the queue that holds back a quit, and a wait that keeps the thread's windows answering.
#pragma once

#include "fw/HeldQuit.h"

#include <windows.h>

namespace fw {

class MessageFilter {
public:
    MessageFilter() = default;
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;

    // Offers msg before it is dispatched; true when it was taken and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& msg) = 0;

protected:
    ~MessageFilter() = default;
};

// Dispatches every queued message of this thread that filter does not take (none is offered
// without a filter). A quit is kept in quit instead of dispatched, where it would be lost.
void PumpMessages(MessageFilter* filter, HeldQuit& quit);

enum class WaitResult { Signalled, TimedOut, Failed };

// Sleeps until handle is signalled or timeoutMs (or INFINITE) has passed, pumping whatever
// arrives meanwhile. Failed when the wait itself keeps failing: the caller must then find out
// some other way whether the handle was signalled.
WaitResult WaitPumping(HANDLE handle, DWORD timeoutMs, MessageFilter* filter, HeldQuit& quit);

} // namespace fw
