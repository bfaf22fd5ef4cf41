#include "fw/MessagePump.h"

#include "fw/Operations.h"
#include "fw/Trace.h"

namespace fw {

namespace {

// Failed waits in a row after which the wait gives up.
constexpr int FailedWaitLimit = 100;
// Pause after a failed wait, so a failing wait does not spin.
constexpr DWORD FailedWaitPauseMs = 10;
// QS_TOUCH and QS_POINTER: the headers give them only to programs built for Windows 8.
constexpr UINT TouchAndPenFlags = 0x0800 | 0x1000;

// Asked of the running system, not of GetVersionEx, which answers what the manifest claims.
bool RunsOnWindows8OrLater() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    const DWORDLONG condition =
        ::VerSetConditionMask(::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                              VER_MINORVERSION, VER_GREATER_EQUAL);
    return ::VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

} // namespace

UINT InputQueueFlags() {
    return RunsOnWindows8OrLater() ? QS_INPUT | TouchAndPenFlags : QS_INPUT;
}

void PumpMessages(MessageFilter* filter, HeldQuit& quit) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit.Take(msg);
            continue;
        }
        if (filter == nullptr || !filter->PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// QS_ALLINPUT wakes for sent messages too: another thread's SendMessage to one of this thread's
// windows is answered while the thread waits. MWMO_INPUTAVAILABLE wakes for what the queue holds
// already: an Esc the dialog loop had peeked before the wait is no new input, and would wait.
WaitResult WaitPumping(HANDLE handle, DWORD timeoutMs, MessageFilter* filter, HeldQuit& quit) {
    const UINT wakeMask = QS_ALLINPUT | InputQueueFlags();
    const ULONGLONG start = ::GetTickCount64();
    int failedWaits = 0;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG spent = ::GetTickCount64() - start;
            left = spent >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - spent);
        }
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &handle, left, wakeMask, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            return WaitResult::Signalled;
        }
        if (woke == WAIT_TIMEOUT) {
            return WaitResult::TimedOut;
        }
        if (woke == WAIT_FAILED) {
            if (failedWaits++ == 0) {
                FailureTrace(op::Wait, "MsgWaitForMultipleObjectsEx").LastError();
            }
            if (failedWaits == FailedWaitLimit) {
                return WaitResult::Failed;
            }
            ::Sleep(FailedWaitPauseMs);
        } else {
            failedWaits = 0;
        }
        PumpMessages(filter, quit);
    }
}

// The input flag takes what the raw input queue holds too, so input given while the thread was
// busy goes as well; posted messages other than input stay queued. A quit posted as a message
// (PostThreadMessage) is not input: it is looked for on its own.
void DiscardQueuedInput(HeldQuit& quit) {
    const UINT inputOnly = PM_REMOVE | (InputQueueFlags() << 16);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, inputOnly)) {
        if (msg.message == WM_QUIT) {
            quit.Take(msg);
        }
    }
    if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        quit.Take(msg);
    }
}

} // namespace fw
