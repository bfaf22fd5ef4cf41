// The unattended run's own hidden window: it carries the reason for refusing the session's end
// during a transfer, refuses that end, and turns a stop asked for on another thread (Ctrl+C)
// into the transfer's stop on the thread that waits for the worker.
#pragma once

#include "fw/MessagePump.h"
#include "update/UpdateJob.h"

#include <windows.h>

namespace cli {

class StopWindow final : public fw::MessageFilter {
public:
    // Makes the window on the calling thread; Handle() is null when it cannot be made.
    StopWindow();
    ~StopWindow();
    StopWindow(const StopWindow&) = delete;
    StopWindow& operator=(const StopWindow&) = delete;

    HWND Handle() const { return window_; }
    // While job is set, a stop sets its cancel flag and the session's end is refused; null ends
    // that.
    void Guard(UpdateJob* job) { job_ = job; }
    // From any thread: the stop, handled on the window's thread. False when it cannot be posted.
    bool PostStop() const;

    // Every message goes to its window.
    bool PreTranslateMessage(MSG&) override { return false; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    ATOM class_ = 0;
    UpdateJob* job_ = nullptr;
};

} // namespace cli
