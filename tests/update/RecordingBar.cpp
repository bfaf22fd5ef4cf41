#include "RecordingBar.h"

#include <commctrl.h>

namespace {

constexpr char ClassName[] = "CorvaneTestRecordingBar";

// Registered once per process; a second registration fails harmlessly.
void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = ClassName;
        return ::RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

// The messages a progress bar understands, PBM_SETRANGE to PBM_SETRANGE32 and on.
bool IsProgressMessage(UINT message) {
    return message >= PBM_SETRANGE && message <= PBM_GETPOS;
}

} // namespace

// Hidden and owned by nobody; the object pointer rides in the user data.
RecordingBar::RecordingBar() {
    RegisterOnce();
    window_ = ::CreateWindowExA(0, ClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

// The window goes with the object.
RecordingBar::~RecordingBar() {
    ::DestroyWindow(window_);
}

// Positions in the order they were set.
std::vector<int> RecordingBar::Positions() const {
    std::vector<int> positions;
    for (const BarMessage& each : messages_) {
        if (each.message == PBM_SETPOS) {
            positions.push_back(static_cast<int>(each.wParam));
        }
    }
    return positions;
}

// Records, then lets the hook look.
LRESULT CALLBACK RecordingBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingBar*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || !IsProgressMessage(message)) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    const BarMessage recorded{message, wParam, lParam};
    self->messages_.push_back(recorded);
    if (self->hook_) {
        self->hook_(recorded);
    }
    return 0;
}
