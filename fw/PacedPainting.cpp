#include "fw/PacedPainting.h"

#include "fw/Operations.h"
#include "fw/Trace.h"

#include <commctrl.h>

namespace fw {

namespace {

// Apart from any timer the control's own class may set on its window.
constexpr UINT_PTR TimerId = 0x5041;
constexpr UINT_PTR SubclassId = 0x5041;

// A bar that is slow to draw (a slow machine, a screen far away) holds the worker's next position
// message while it draws: the period stretches so that drawing takes at most this share of the
// thread's time...
constexpr double DrawingShare = 1.0 / 40;
// ...but no further than this, so that the bar still moves and assistive technology hears of it
// at least twice a second.
constexpr UINT LongestPeriodMs = 500;

} // namespace

PacedPainting::PacedPainting(HWND control, UINT periodMs)
    : control_(control), shortestMs_(periodMs), periodMs_(periodMs) {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    ticksPerMs_ = static_cast<double>(frequency.QuadPart) / 1000;
    if (::SetTimer(control_, TimerId, periodMs, nullptr) == 0) {
        FailureTrace(op::PacedPainting, "SetTimer").LastError();
        return;
    }
    timer_ = true;
    // Whatever the control shows now is where the pacing starts from.
    latest_ = handed_ = static_cast<int>(::SendMessageA(control_, PBM_GETPOS, 0, 0));
    if (!::SetWindowSubclass(control_, &BarProc, SubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        FailureTrace(op::PacedPainting, "SetWindowSubclass");
        Stop();
        return;
    }
    active_ = true;
}

PacedPainting::~PacedPainting() {
    if (!active_) {
        Stop();
        return;
    }
    HandOn();
    Stop();
    if (!::UpdateWindow(control_)) {
        FailureTrace(op::PacedPainting, "UpdateWindow");
    }
}

// A WM_TIMER already taken off the queue after the end finds the subclass gone: the control
// ignores a timer that is not its own.
void PacedPainting::Stop() {
    if (active_) {
        if (!::RemoveWindowSubclass(control_, &BarProc, SubclassId)) {
            FailureTrace(op::PacedPainting, "RemoveWindowSubclass");
        }
        active_ = false;
    }
    if (timer_ && !::KillTimer(control_, TimerId)) {
        FailureTrace(op::PacedPainting, "KillTimer").LastError();
    }
    timer_ = false;
}

LRESULT CALLBACK PacedPainting::BarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        // A control that goes first takes its timer with it; the subclass must go by hand.
        PacedPainting& pacing = *reinterpret_cast<PacedPainting*>(self);
        pacing.active_ = false;
        pacing.timer_ = false;
        ::RemoveWindowSubclass(control, &BarProc, SubclassId);
        return ::DefSubclassProc(control, message, wParam, lParam);
    }
    return reinterpret_cast<PacedPainting*>(self)->OnMessage(message, wParam, lParam);
}

// Each answer is what the control itself would give: the previous position for a move, the
// latest for a read. Every other position message meets a control that has the latest position.
LRESULT PacedPainting::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int previous = latest_;
    switch (message) {
    case PBM_SETPOS:
        latest_ = Clamped(static_cast<int>(wParam));
        return previous;
    case PBM_DELTAPOS:
        latest_ = Clamped(static_cast<long long>(latest_) + static_cast<int>(wParam));
        return previous;
    case PBM_GETPOS:
        return latest_;
    case WM_PAINT:
        // A paint for any other cause (the window uncovered, a redraw asked for) shows the
        // latest position, never one a period old.
        HandOn();
        break;
    case WM_TIMER:
        if (wParam != TimerId) {
            break;
        }
        Tick();
        return 0;
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
    case PBM_STEPIT:
        return PassOn(message, wParam, lParam);
    default:
        break;
    }
    return ::DefSubclassProc(control_, message, wParam, lParam);
}

// A new range or a step moves the control's position itself: the pacing takes that on.
LRESULT PacedPainting::PassOn(UINT message, WPARAM wParam, LPARAM lParam) {
    HandOn();
    const LRESULT result = ::DefSubclassProc(control_, message, wParam, lParam);
    latest_ = static_cast<int>(::DefSubclassProc(control_, PBM_GETPOS, 0, 0));
    handed_ = latest_;
    return result;
}

int PacedPainting::Clamped(long long position) {
    PBRANGE range{};
    ::DefSubclassProc(control_, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    if (position < range.iLow) {
        return range.iLow;
    }
    return position > range.iHigh ? range.iHigh : static_cast<int>(position);
}

// Drawn at once, so that the drawing's cost is seen; the period is set afresh only when it
// changes by more than a quarter.
void PacedPainting::Tick() {
    if (latest_ == handed_) {
        return;
    }
    LARGE_INTEGER before{};
    ::QueryPerformanceCounter(&before);
    HandOn();
    if (!::UpdateWindow(control_)) {
        FailureTrace(op::PacedPainting, "UpdateWindow");
    }
    LARGE_INTEGER after{};
    ::QueryPerformanceCounter(&after);
    if (ticksPerMs_ <= 0) {
        return;
    }
    const double drawingMs = static_cast<double>(after.QuadPart - before.QuadPart) / ticksPerMs_;
    const double wanted = drawingMs / DrawingShare;
    const UINT period = wanted <= shortestMs_       ? shortestMs_
                        : wanted >= LongestPeriodMs ? LongestPeriodMs
                                                    : static_cast<UINT>(wanted);
    if (period * 4 > periodMs_ * 5 || period * 5 < periodMs_ * 4) {
        if (::SetTimer(control_, TimerId, period, nullptr) == 0) {
            FailureTrace(op::PacedPainting, "SetTimer").LastError();
            return;
        }
        periodMs_ = period;
    }
}

// The value change is told here, once per tick at most: assistive technology then hears of a
// moving bar some thirty times a second, never of every piece.
void PacedPainting::HandOn() {
    if (latest_ == handed_) {
        return;
    }
    // Taken as handed first: the control may paint at once, and its paint comes back here.
    handed_ = latest_;
    ::DefSubclassProc(control_, PBM_SETPOS, static_cast<WPARAM>(latest_), 0);
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, control_, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace fw
