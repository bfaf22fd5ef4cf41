// The window thread's pump and wait: what they dispatch, what they keep back, and that a wait
// that cannot work gives up instead of spinning for ever.
#include "fw/MessagePump.h"
#include "fw/UniqueHandle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// A message-only window that counts the messages it is handed, and sets handled (if any) at each.
class CountingWindow {
public:
    explicit CountingWindow(HANDLE handled = nullptr)
        : handled_(handled), window_(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                       nullptr, nullptr, nullptr)) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~CountingWindow() { ::DestroyWindow(window_); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND Handle() const { return window_; }
    int Count() const { return count_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CountingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_APP) {
            ++self->count_;
            if (self->handled_ != nullptr) {
                ::SetEvent(self->handled_);
            }
            return 0;
        }
        return ::CallWindowProcA(self->previous_, window, message, wParam, lParam);
    }

    HANDLE handled_;
    HWND window_;
    WNDPROC previous_ = nullptr;
    int count_ = 0;
};

// Takes every other WM_APP before it is dispatched.
class EveryOtherFilter : public fw::MessageFilter {
public:
    bool PreTranslateMessage(MSG& msg) override {
        return msg.message == WM_APP && (taken_++ % 2) == 0;
    }

private:
    int taken_ = 0;
};

} // namespace

// Posted messages reach their window unless the filter takes them; a quit is kept back, and
// posted again once released.
TEST(MessagePump, DispatchesWhatTheFilterLeavesAndKeepsTheQuit) {
    const CountingWindow window;
    EveryOtherFilter filter;
    fw::HeldQuit quit;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(::PostMessageA(window.Handle(), WM_APP, 0, 0));
    }
    ::PostQuitMessage(7);
    fw::PumpMessages(&filter, quit);
    EXPECT_EQ(window.Count(), 2);
    EXPECT_TRUE(quit.Held());
    quit.Release();
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// The wait ends on the handle, on its time-out (pumping meanwhile), or, when the wait itself
// keeps failing (a handle that is not one), by giving up rather than spinning for ever.
TEST(MessagePump, WaitEndsSignalledTimedOutOrFailed) {
    const CountingWindow window;
    fw::HeldQuit quit;
    const fw::UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    ASSERT_TRUE(::PostMessageA(window.Handle(), WM_APP, 0, 0));
    EXPECT_EQ(fw::WaitPumping(event.Get(), 50, nullptr, quit), fw::WaitResult::TimedOut);
    EXPECT_EQ(window.Count(), 1);
    ASSERT_TRUE(::SetEvent(event.Get()));
    EXPECT_EQ(fw::WaitPumping(event.Get(), INFINITE, nullptr, quit), fw::WaitResult::Signalled);
    const HANDLE notAHandle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFC));
    EXPECT_EQ(fw::WaitPumping(notAHandle, INFINITE, nullptr, quit), fw::WaitResult::Failed);
    EXPECT_FALSE(quit.Held());
}

// A message the thread had seen before the wait began (an Esc the dialog loop peeked) is no new
// input, yet the wait handles it at once; the bound only ends a failing run.
TEST(MessagePump, WaitHandlesWhatTheQueueHeldAlready) {
    const fw::UniqueHandle handled(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(handled);
    const CountingWindow window(handled.Get());
    fw::HeldQuit quit;
    ASSERT_TRUE(::PostMessageA(window.Handle(), WM_APP, 0, 0));
    MSG seen;
    ASSERT_TRUE(::PeekMessageA(&seen, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(fw::WaitPumping(handled.Get(), 10000, nullptr, quit), fw::WaitResult::Signalled);
    EXPECT_EQ(window.Count(), 1);
}

// Touch and pen are input from Windows 8 on (the running system's version, which Wine sets per
// prefix); Windows 7 would refuse their bits.
TEST(MessagePump, TouchAndPenAreInputFromWindows8On) {
    using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(getVersion(&version), 0);
    const bool eightOrLater =
        version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
    const UINT touchAndPen = 0x0800 | 0x1000;
    const UINT flags = fw::InputQueueFlags();
    EXPECT_EQ(flags & QS_INPUT, static_cast<UINT>(QS_INPUT));
    EXPECT_EQ(flags & touchAndPen, eightOrLater ? touchAndPen : 0u)
        << "Windows " << version.dwMajorVersion << "." << version.dwMinorVersion;
}
