// The main window with the keyboard alone, real keys through SendInput: Enter presses a focused
// button and ends nothing else (fault: Enter on the port list or the bar closed the window), the
// arrows stay among the three buttons, the access keys press them; and during a slow transfer
// the bar is shown, has the focus, and reads a position that only grows.
#include "AppTest.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Input.h"
#include "Product.h"

#include <gtest/gtest.h>

#include <vector>

using guitest::Window;

namespace {

enum class Outcome { Nothing, ResultBox, Ends };

struct KeyCase {
    const char* where;
    // The control that has the focus first.
    int control;
    bool openList;
    std::vector<WORD> keys;
    Outcome outcome;
    // The button the keys press, which has the focus again after its result box.
    int pressed;
};

} // namespace

class KeyboardTest : public AppTest {
protected:
    // The window may show before its thread first waits for input, and a program started cold
    // on a slow machine then counts as hung to a message sent with a limit.
    void WaitUntilIdle() const {
        const HANDLE process =
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, app().id());
        ASSERT_NE(process, nullptr);
        EXPECT_EQ(::WaitForInputIdle(process, product::TransferLimit.count()), 0u);
        ::CloseHandle(process);
    }
    void Focus(const Window& target) const {
        main_.send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target.handle()), TRUE);
        guitest::waitFor("the focus", [&] { return guitest::focusedWindow(main_) == target; });
    }
    void Press(const std::vector<WORD>& keys) const {
        if (keys.size() == 1) {
            guitest::pressKey(main_, keys[0]);
        } else {
            guitest::pressChord(main_, {keys[0], keys[1]});
        }
    }
};

TEST_F(KeyboardTest, EnterPressesOnlyAFocusedButtonAndTheArrowsStayAmongTheButtons) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(3000);
    start(setup);
    WaitUntilIdle();

    const Window update = control(IDC_UPDATE);
    const Window verify = control(IDC_VERIFY);
    const Window quit = control(IDCANCEL);
    Focus(update);
    const WORD arrows[] = {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_DOWN, VK_UP};
    const Window visited[] = {verify, quit, update, quit, update, quit};
    for (std::size_t i = 0; i < std::size(arrows); ++i) {
        guitest::pressKey(main_, arrows[i]);
        guitest::waitFor("the arrow's move",
                         [&] { return guitest::focusedWindow(main_) == visited[i]; });
    }

    const KeyCase cases[] = {
        {"Enter on the closed list", IDC_PORT_LIST, false, {VK_RETURN}, Outcome::Nothing, 0},
        {"Enter in the open list", IDC_PORT_LIST, true, {VK_RETURN}, Outcome::Nothing, 0},
        {"Enter on the bar", IDC_PROGRESS, false, {VK_RETURN}, Outcome::Nothing, 0},
        {"Enter on Verify", IDC_VERIFY, false, {VK_RETURN}, Outcome::ResultBox, IDC_VERIFY},
        {"Enter on Update", IDC_UPDATE, false, {VK_RETURN}, Outcome::ResultBox, IDC_UPDATE},
        {"Alt+V on the list", IDC_PORT_LIST, false, {VK_MENU, 'V'}, Outcome::ResultBox, IDC_VERIFY},
        {"Alt+U on the list", IDC_PORT_LIST, false, {VK_MENU, 'U'}, Outcome::ResultBox, IDC_UPDATE},
        {"Enter on Quit", IDCANCEL, false, {VK_RETURN}, Outcome::Ends, 0},
    };
    for (const KeyCase& each : cases) {
        SCOPED_TRACE(each.where);
        const Window start = control(each.control);
        Focus(start);
        if (each.openList) {
            guitest::dropDownByMessage(start);
        }
        // Opening the list refills it and leaves nothing chosen, and an operation would then
        // only ask for a port.
        if (each.outcome == Outcome::ResultBox) {
            guitest::selectComboItem(control(IDC_PORT_LIST), 0);
        }
        Press(each.keys);
        if (each.outcome == Outcome::Ends) {
            EXPECT_EQ(app().waitForExit(), 0u);
            continue;
        }
        if (each.outcome == Outcome::ResultBox) {
            const Window box = waitForBox(product::TransferLimit);
            EXPECT_NE(guitest::messageText(box), product::SelectPortText);
            press(box, IDOK);
            const Window pressed = control(each.pressed);
            EXPECT_NO_THROW(
                guitest::waitFor("the focus back on the button",
                                 [&] { return guitest::focusedWindow(main_) == pressed; }))
                << "focus on \"" << guitest::focusedWindow(main_).caption() << "\"";
            continue;
        }
        // Tab is handled after Enter: once it has moved the focus, Enter has been handled.
        guitest::waitFor("the list to close", [&] { return !start.comboDroppedDown(); });
        guitest::pressKey(main_, VK_TAB);
        guitest::waitFor("Tab's move", [&] { return guitest::focusedWindow(main_) != start; });
        EXPECT_TRUE(app().running());
        EXPECT_EQ(app().visibleWindows(product::DialogClass).size(), 1u);
    }
}

// Update started with the keys on a printer that takes a few seconds: the bar stays shown, has
// the focus, and each read gives a position no smaller than the one before; the result box
// comes with the bar full, and the focus goes back to Update.
TEST_F(KeyboardTest, TheBarIsShownFocusedAndMovingDuringASlowTransfer) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(40000);
    setup.data = simctl::testData(120000);
    start(setup);
    WaitUntilIdle();
    const Window bar = control(IDC_PROGRESS);
    ASSERT_TRUE(guitest::tabTo(main_, control(IDC_UPDATE), 8));
    guitest::pressKey(main_, VK_SPACE);
    guitest::waitFor("the bar to move", [&] { return bar.progressPosition() > 0; });
    const int full = bar.progressRange().second;

    std::vector<int> positions;
    int hidden = 0;
    int unfocused = 0;
    for (;;) {
        // The position is read last: the bar is full before the run ends and the window moves
        // the focus on, so a position short of full proves the transfer still ran at the two
        // reads before it.
        const bool shown = bar.visible();
        const bool focused = guitest::focusedWindow(main_) == bar;
        const int position = bar.progressPosition();
        // A box shown first means a run that ended short: the checks below then fail.
        if (position == full || app().visibleWindows(product::DialogClass).size() != 1) {
            break;
        }
        positions.push_back(position);
        hidden += shown ? 0 : 1;
        unfocused += focused ? 0 : 1;
    }
    EXPECT_EQ(hidden, 0);
    EXPECT_EQ(unfocused, 0);
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(bar.progressPosition(), full);
    ASSERT_GE(positions.size(), 2u);
    for (std::size_t i = 1; i < positions.size(); ++i) {
        ASSERT_GE(positions[i], positions[i - 1]) << "read " << i;
    }
    EXPECT_LT(positions.front(), positions.back());
    press(box, IDOK);
    waitUntilIdle();
    guitest::waitFor("the focus back on Update",
                     [&] { return guitest::focusedWindow(main_) == control(IDC_UPDATE); });
}
