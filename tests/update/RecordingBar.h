// A stand-in for the progress bar: a hidden window of the creating thread that records every
// progress bar message it is sent, in order.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// One progress bar message as it arrived.
struct BarMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    // Field-wise equality.
    bool operator==(const BarMessage& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

class RecordingBar {
public:
    // Creates the window on the calling thread.
    RecordingBar();
    // Destroys the window.
    ~RecordingBar();
    RecordingBar(const RecordingBar&) = delete;
    RecordingBar& operator=(const RecordingBar&) = delete;

    // The window to hand to the code under test.
    HWND Handle() const { return window_; }
    // Every progress message so far.
    const std::vector<BarMessage>& Messages() const { return messages_; }
    // Forgets the messages so far.
    void Clear() { messages_.clear(); }
    // The first parameter of every PBM_SETPOS so far.
    std::vector<int> Positions() const;
    // Runs hook after each message is recorded, on the window's thread.
    void OnMessage(std::function<void(const BarMessage&)> hook) { hook_ = std::move(hook); }

private:
    // Records progress messages; everything else gets the default handling.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<BarMessage> messages_;
    std::function<void(const BarMessage&)> hook_;
};
