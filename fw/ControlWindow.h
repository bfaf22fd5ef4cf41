// Thin base of the control wrappers: holds a control's handle, does not own it.
#pragma once

#include <windows.h>

#include <cassert>

namespace fw {

class ControlWindow {
public:
    // Binds the wrapper to a control window.
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        windowThread_ = ::GetWindowThreadProcessId(hwnd, nullptr);
    }
    // The control window.
    HWND Handle() const { return hwnd_; }

protected:
    ControlWindow() = default;
    ~ControlWindow() = default;

    // As a window wrapper must, it checks that the window is still there (debug builds), on the
    // window's own thread only: the update worker drives the bar from its own thread, where
    // IsWindow proves nothing (the window may go, its handle be reused, right after).
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        assert(::GetCurrentThreadId() != windowThread_ || ::IsWindow(hwnd_));
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }

private:
    HWND hwnd_ = nullptr;
    // The thread that made the window, as it was when attached; 0 for no window.
    DWORD windowThread_ = 0;
};

} // namespace fw
