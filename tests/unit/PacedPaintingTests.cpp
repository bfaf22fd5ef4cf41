// The bar's paced painting on a window of the test's own: held back only on a shown window and
// only while it lives, whatever tick comes late.
#include "fw/PacedPainting.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// A small popup of this thread, shown or not.
class Popup {
public:
    explicit Popup(bool shown)
        : window_(::CreateWindowExA(0, "STATIC", "", WS_POPUP | (shown ? WS_VISIBLE : 0), 0, 0, 40,
                                    10, nullptr, nullptr, nullptr, nullptr)) {}
    ~Popup() { ::DestroyWindow(window_); }
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;

    bool Visible() const { return ::IsWindowVisible(window_) != FALSE; }
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

} // namespace

// A hidden window stays hidden: turning its drawing on again would show it. A shown one counts
// as not shown while its drawing is held back, also after a tick, and as shown again after the
// end, even when a tick taken off the queue before the end is handled after it.
TEST(PacedPaintingTest, HoldsBackOnlyAShownWindowAndOnlyWhileItLives) {
    const Popup hidden(false);
    {
        const fw::PacedPainting paced(hidden.Handle(), 10);
        EXPECT_FALSE(paced.Active());
    }
    EXPECT_FALSE(hidden.Visible());

    const Popup shown(true);
    MSG tick{};
    {
        const fw::PacedPainting paced(shown.Handle(), 10);
        ASSERT_TRUE(paced.Active());
        EXPECT_FALSE(shown.Visible());
        ASSERT_EQ(::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_TIMER), WAIT_OBJECT_0);
        ASSERT_TRUE(::PeekMessageA(&tick, shown.Handle(), WM_TIMER, WM_TIMER, PM_REMOVE));
        ::DispatchMessageA(&tick);
        EXPECT_FALSE(shown.Visible());
    }
    EXPECT_TRUE(shown.Visible());
    ::DispatchMessageA(&tick);
    EXPECT_TRUE(shown.Visible());
}
