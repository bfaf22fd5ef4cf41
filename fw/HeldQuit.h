// A quit message taken off the queue at a moment when the program must not end yet, kept to be
// posted again once it may.
#pragma once

#include <windows.h>

namespace fw {

class HeldQuit {
public:
    HeldQuit() = default;
    HeldQuit(const HeldQuit&) = delete;
    HeldQuit& operator=(const HeldQuit&) = delete;

    // Keeps quit (a WM_QUIT message) and its exit code.
    void Take(const MSG& quit);
    // True while a quit is kept.
    bool Held() const { return held_; }
    // Posts the kept quit again, once; nothing when none is kept.
    void Release();

private:
    bool held_ = false;
    WPARAM code_ = 0;
};

// Removes every queued input message of this thread: keys, mouse and non-client mouse alike.
// PeekMessage hands out WM_QUIT whatever the filter asks for: one found on the way goes to quit.
void DiscardQueuedInput(HeldQuit& quit);

} // namespace fw
