#include "fw/Operations.h"
#include "fw/PacedPainting.h"

#include "fw/Trace.h"

namespace fw {

namespace {

// Apart from any timer the control's own class may set on its window.
constexpr UINT_PTR TimerId = 0x5041;

// Per the WM_SETREDRAW reference: a window whose drawing is turned off loses WS_VISIBLE (it
// stays on screen, but the system takes it for hidden, and nothing promises that what it was
// told to redraw meanwhile is remembered: Wine drops its invalid region), and turning it on only
// gives the style back. The control is therefore invalidated whole and painted at once.
void DrawNow(HWND control) {
    ::SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    if (!::RedrawWindow(control, nullptr, nullptr,
                        RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW)) {
        FailureTrace(op::PacedPainting, "RedrawWindow").LastError();
    }
}

// The control's own WS_VISIBLE, whatever its parents'.
bool Shown(HWND control) {
    return (::GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Every tick, changed or not: while its drawing is held back the control is invisible to the
// system, and a parent's repaint (an uncovered window) may have drawn over it. A tick that
// comes after the pacing ended (a WM_TIMER already taken off the queue) finds the control shown
// and leaves it alone: turning its drawing off then would leave it off for good.
void CALLBACK Tick(HWND control, UINT, UINT_PTR, DWORD) {
    if (Shown(control)) {
        return;
    }
    DrawNow(control);
    ::SendMessageA(control, WM_SETREDRAW, FALSE, 0);
}

} // namespace

// WM_SETREDRAW TRUE would show a hidden control: only a shown one is paced.
PacedPainting::PacedPainting(HWND control, UINT periodMs) : control_(control) {
    if (!Shown(control_)) {
        return;
    }
    if (::SetTimer(control_, TimerId, periodMs, &Tick) == 0) {
        FailureTrace(op::PacedPainting, "SetTimer").LastError();
        return;
    }
    ::SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
    active_ = true;
}

PacedPainting::~PacedPainting() {
    if (!active_) {
        return;
    }
    if (!::KillTimer(control_, TimerId)) {
        FailureTrace(op::PacedPainting, "KillTimer").LastError();
    }
    DrawNow(control_);
}

} // namespace fw
