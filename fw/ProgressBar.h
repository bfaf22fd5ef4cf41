// Thin wrapper over a progress bar window.
#pragma once

#include "fw/ControlWindow.h"

#include <windows.h>
#include <commctrl.h>

namespace fw {

class ProgressBar : public ControlWindow {
public:
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
};

} // namespace fw
