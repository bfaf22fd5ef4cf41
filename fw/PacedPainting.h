// Paints a control at the screen's pace while something else moves it far more often: its own
// drawing is held back and a timer on its window's thread repaints it a few dozen times a second.
#pragma once

#include <windows.h>

namespace fw {

class PacedPainting {
public:
    // Holds back control's drawing and starts the timer, on the control's own thread. A control
    // that is not shown, or a timer that cannot be had, leaves the drawing as it is.
    PacedPainting(HWND control, UINT periodMs);
    // Stops the timer and draws the control as it now is, before anything else is shown.
    ~PacedPainting();
    PacedPainting(const PacedPainting&) = delete;
    PacedPainting& operator=(const PacedPainting&) = delete;

    // True while the drawing is held back.
    bool Active() const { return active_; }

private:
    HWND control_;
    bool active_ = false;
};

} // namespace fw
