// The window thread's one message pump: a filter in front of dispatching, as in WTL, a drain of
// the queue that holds back a quit, a wait that keeps the thread's windows answering, and the
// discard of input given while the thread could not answer.
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

// The queue's input flags (QS_*) for this Windows: the Windows 7 ones, and from Windows 8 on
// touch and pen as well (QS_TOUCH, QS_POINTER), which Windows 7 refuses as unknown bits.
UINT InputQueueFlags();

enum class WaitResult { Signalled, TimedOut, Failed };

// Sleeps until handle is signalled or timeoutMs (or INFINITE) has passed, pumping whatever
// arrives meanwhile, and what was in the queue already, seen or not. Failed when the wait itself
// keeps failing: the caller must then find out some other way whether the handle was signalled.
WaitResult WaitPumping(HANDLE handle, DWORD timeoutMs, MessageFilter* filter, HeldQuit& quit);

// Removes every queued input message of this thread: keys, mouse, non-client mouse, touch and
// pen alike.
// PeekMessage hands out WM_QUIT whatever the filter asks for: one found on the way goes to quit.
void DiscardQueuedInput(HeldQuit& quit);

} // namespace fw
