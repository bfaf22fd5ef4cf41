#include "fw/HeldQuit.h"

namespace fw {

// A later quit replaces an earlier one, as in the queue itself.
void HeldQuit::Take(const MSG& quit) {
    held_ = true;
    code_ = quit.wParam;
}

void HeldQuit::Release() {
    if (held_) {
        held_ = false;
        ::PostQuitMessage(static_cast<int>(code_));
    }
}

// The input flag takes what the raw input queue holds too, so input given while the thread was
// busy goes as well; posted messages other than input stay queued. A quit posted as a message
// (PostThreadMessage) is not input: it is looked for on its own.
void DiscardQueuedInput(HeldQuit& quit) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
        if (msg.message == WM_QUIT) {
            quit.Take(msg);
        }
    }
    if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        quit.Take(msg);
    }
}

} // namespace fw
