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

} // namespace fw
