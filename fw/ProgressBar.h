// Thin wrapper over a progress bar window: holds the handle, does not own it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cassert>

namespace fw {

class ProgressBar {
public:
    // Binds the wrapper to a progress bar window.
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        windowThread_ = ::GetWindowThreadProcessId(hwnd, nullptr);
    }
    // The progress bar window.
    HWND Handle() const { return hwnd_; }
    // Sets a 16-bit range (PBM_SETRANGE).
    void SetRange(WORD low, WORD high) { Send(PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
    // Sets a 32-bit range (PBM_SETRANGE32).
    void SetRange32(int low, int high) { Send(PBM_SETRANGE32, low, high); }
    // Moves the bar to position.
    void SetPos(int position) { Send(PBM_SETPOS, static_cast<WPARAM>(position), 0); }
    // Sets the size of one step.
    void SetStep(int step) { Send(PBM_SETSTEP, static_cast<WPARAM>(step), 0); }
    // Advances the bar by one step.
    void StepIt() { Send(PBM_STEPIT, 0, 0); }
    // The current position.
    int GetPos() const { return static_cast<int>(Send(PBM_GETPOS, 0, 0)); }

private:
    // The update worker drives the bar from its own thread, where IsWindow proves nothing (the
    // window may go, its handle be reused, right after): the check holds on the window's thread.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        assert(::GetCurrentThreadId() != windowThread_ || ::IsWindow(hwnd_));
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    // The thread that made the window, as it was when attached; 0 for no window.
    DWORD windowThread_ = 0;
};

} // namespace fw
