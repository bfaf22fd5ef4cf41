// Thin base of the control wrappers: holds a control's handle, does not own it.
#pragma once

#include <windows.h>

#include <cassert>

namespace fw {

class ControlWindow {
public:
    // Binds the wrapper to a control window.
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    // The control window.
    HWND Handle() const { return hwnd_; }

protected:
    ControlWindow() = default;
    ~ControlWindow() = default;

    // As a window wrapper must, it checks that the window is still there (debug builds).
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        assert(::IsWindow(hwnd_));
        return ::SendMessageA(hwnd_, message, wParam, lParam);
    }

private:
    HWND hwnd_ = nullptr;
};

} // namespace fw
