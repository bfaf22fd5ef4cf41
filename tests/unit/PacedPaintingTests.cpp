// The bar's paced painting on a progress bar of the test's own: the bar stays shown, every read
// gives the latest position at once, and the control itself gets it (and tells assistive
// technology) at the next tick, not at every move.
#include "fw/PacedPainting.h"

#include "ControlHost.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

// Value changes of one window, as an out-of-context hook sees them while the thread pumps.
HWND watched = nullptr;
int valueChanges = 0;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    valueChanges += window == watched && object == OBJID_CLIENT ? 1 : 0;
}

// Everything queued, or everything but the pacing's ticks.
void PumpAll(bool ticks = true) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           ::PeekMessageA(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE) ||
           (ticks && ::PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))) {
        ::DispatchMessageA(&msg);
    }
}

// Takes the pacing's next tick off the queue and handles it, with whatever came before it.
void Tick(HWND bar) {
    // A tick already queued (seen by an earlier peek) counts too.
    ASSERT_EQ(::MsgWaitForMultipleObjectsEx(0, nullptr, 10000, QS_TIMER, MWMO_INPUTAVAILABLE),
              WAIT_OBJECT_0);
    MSG tick{};
    ASSERT_TRUE(::PeekMessageA(&tick, bar, WM_TIMER, WM_TIMER, PM_REMOVE));
    ::DispatchMessageA(&tick);
    PumpAll();
}

// Beneath the pacing: records the positions that reach the control itself, in order, and takes
// the subclass's reference data in milliseconds for each, as a slow machine's drawing may.
std::vector<int> handed;

LRESULT CALLBACK Beneath(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR msPerPosition) {
    if (message == PBM_SETPOS) {
        handed.push_back(static_cast<int>(wParam));
        ::Sleep(static_cast<DWORD>(msPerPosition));
    }
    return ::DefSubclassProc(bar, message, wParam, lParam);
}

struct Move {
    UINT message;
    int value;
    // What the message answers, then what a read gives.
    int answer;
    int position;
};

} // namespace

TEST(PacedPaintingTest, TheBarStaysShownReadsTheLatestPositionAndIsHandedItAtTheTick) {
    testsupport::ControlHost host;
    const HWND bar = host.Progress().Handle();
    host.Progress().SetRange32(0, 100);
    host.Progress().SetPos(5);
    watched = bar;
    valueChanges = 0;
    const HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &OnEvent,
                          ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    PumpAll();
    const int changesBefore = valueChanges;
    const LONG_PTR style = ::GetWindowLongPtrA(bar, GWL_STYLE);
    {
        const fw::PacedPainting paced(bar, 10);
        ASSERT_TRUE(paced.Active());
        EXPECT_EQ(::GetWindowLongPtrA(bar, GWL_STYLE), style);
        // Each answer is what the control itself would give, clamped to its range.
        const Move moves[] = {
            {PBM_SETPOS, 40, 5, 40},      {PBM_DELTAPOS, 7, 40, 47}, {PBM_SETPOS, 250, 47, 100},
            {PBM_DELTAPOS, -300, 100, 0}, {PBM_SETPOS, 60, 0, 60},
        };
        for (const Move& move : moves) {
            SCOPED_TRACE(move.value);
            EXPECT_EQ(::SendMessageA(bar, move.message, static_cast<WPARAM>(move.value), 0),
                      move.answer);
            EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), move.position);
        }
        PumpAll(false);
        EXPECT_EQ(valueChanges, changesBefore) << "the control was moved before the tick";
        Tick(bar);
        EXPECT_GT(valueChanges, changesBefore) << "the tick told no value change";
        // A new range reaches the control, and positions are held to it.
        ::SendMessageA(bar, PBM_SETRANGE32, 0, 200);
        ::SendMessageA(bar, PBM_SETPOS, 150, 0);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 150);
        ::SendMessageA(bar, PBM_SETPOS, 30, 0);
        EXPECT_EQ(::GetWindowLongPtrA(bar, GWL_STYLE), style);
    }
    // The end hands the control the last position; its own messages are its own again.
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(::SendMessageA(bar, PBM_SETPOS, 10, 0), 30);
    ::UnhookWinEvent(hook);
    watched = nullptr;
}

// A bar that goes while its pacing lives (its window closed mid-transfer) takes its timer with
// it, and the pacing lets go of it at once: its own end touches nothing that is gone.
TEST(PacedPaintingTest, ABarDestroyedFirstEndsThePacing) {
    testsupport::ControlHost host;
    const HWND bar = host.Progress().Handle();
    fw::PacedPainting paced(bar, 10);
    ASSERT_TRUE(paced.Active());
    ::SendMessageA(bar, PBM_SETPOS, 50, 0);
    ASSERT_TRUE(::DestroyWindow(bar));
    EXPECT_FALSE(paced.Active());
    EXPECT_FALSE(::IsWindow(bar));
}

// A bar slow to take its position is given it less often, so that it holds the thread for a
// small share of its time, but still twice a second.
TEST(PacedPaintingTest, ABarSlowToMoveIsHandedItsPositionLessOftenButTwiceASecond) {
    testsupport::ControlHost host;
    const HWND bar = host.Progress().Handle();
    ASSERT_TRUE(::SetWindowSubclass(bar, &Beneath, 1, 20));
    {
        const fw::PacedPainting paced(bar, 10);
        EXPECT_EQ(paced.PeriodMs(), 10u);
        ::SendMessageA(bar, PBM_SETPOS, 30, 0);
        Tick(bar);
        EXPECT_EQ(paced.PeriodMs(), 500u);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 30);
    }
    ::RemoveWindowSubclass(bar, &Beneath, 1);
}

// A paint for another cause between two ticks (the window uncovered, a redraw asked for from
// outside, as a picture of the window does) shows the latest position, not one a period old.
TEST(PacedPaintingTest, APaintBetweenTicksShowsTheLatestPosition) {
    testsupport::ControlHost host;
    const HWND bar = host.Progress().Handle();
    host.Progress().SetRange32(0, 100);
    ::ShowWindow(::GetParent(bar), SW_SHOWNA);
    ::ShowWindow(bar, SW_SHOWNA);
    ASSERT_TRUE(::SetWindowSubclass(bar, &Beneath, 1, 0));
    {
        // No tick comes while the test runs.
        const fw::PacedPainting paced(bar, 600000);
        handed.clear();
        ::SendMessageA(bar, PBM_SETPOS, 40, 0);
        EXPECT_TRUE(handed.empty()) << "the control was moved before a tick or a paint";
        ASSERT_TRUE(::RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
        EXPECT_EQ(handed, std::vector<int>{40});
    }
    ::RemoveWindowSubclass(bar, &Beneath, 1);
}
