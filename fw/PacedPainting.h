// Hands a progress bar the position that something else sets far more often than a screen
// shows, at the screen's pace: while the pacing lives, the bar's position messages are answered
// by the pacing, and a timer on the bar's own thread gives the control the latest position a few
// dozen times a second, or less often where the bar is slow to draw, and before any paint. The
// bar stays shown throughout, so assistive technology can read it.
#pragma once

#include <windows.h>

namespace fw {

class PacedPainting {
public:
    // Takes over control's position messages and starts the timer, on the control's own thread;
    // periodMs is the shortest period. A timer or a subclass that cannot be had leaves the
    // control as it is.
    PacedPainting(HWND control, UINT periodMs);
    // Gives the control the latest position and draws it, before anything else is shown.
    ~PacedPainting();
    PacedPainting(const PacedPainting&) = delete;
    PacedPainting& operator=(const PacedPainting&) = delete;

    // True while the position messages are taken over.
    bool Active() const { return active_; }
    // The timer's period now, in milliseconds.
    UINT PeriodMs() const { return periodMs_; }

private:
    static LRESULT CALLBACK BarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The position message the control answers itself; its result.
    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam);
    // The latest position as the control would keep it: within its range.
    int Clamped(long long position);
    // Gives the control the latest position, if it has not got it, and tells the change.
    void HandOn();
    // The timer's turn: hands the position on, has it drawn, and fits the period to the drawing.
    void Tick();
    void Stop();

    HWND control_;
    UINT shortestMs_;
    UINT periodMs_;
    double ticksPerMs_ = 0;
    bool active_ = false;
    bool timer_ = false;
    // The latest position asked for, and the one the control last got.
    int latest_ = 0;
    int handed_ = 0;
};

} // namespace fw
