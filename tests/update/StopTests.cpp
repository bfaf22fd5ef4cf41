// Stopping a transfer on the real program (fault: a printer that stops taking data kept the
// tool retrying for ever). While busy, Esc and the close box ask "Stop the NVM update?" under
// the program's caption with No as the default; Yes stops the worker and says so, No lets it go
// on; the window never closes in the middle of a transfer.
#include "AppTest.h"

#include "Product.h"

#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

using guitest::IconKind;
using guitest::Millis;
using guitest::Window;

constexpr char StopText[] = "Stop the NVM update?";
constexpr char StoppedText[] = "The NVM update was stopped. The printer did not receive all of "
                               "the update data.\r\nRun Update again before using the printer.";
// Sends that show the worker is retrying against a stalled printer.
constexpr std::size_t StalledSends = 8;

} // namespace

class StopTest : public AppTest {
protected:
    // A printer that takes two pieces and then nothing, for ever (or for stallCalls sends).
    void StartStalled(uint32_t stallCalls = 0) {
        Setup setup;
        setup.scenario.printer(simctl::lpt(1)).rate(0).latency(5).stall(stallCalls, 3);
        setup.data = simctl::testData(10000);
        data_ = *setup.data;
        start(setup);
    }

    // The question, as a Yes/No warning box of the main window.
    Window WaitForQuestion() const {
        const Window box = waitForBox();
        EXPECT_EQ(guitest::messageText(box), StopText);
        EXPECT_EQ(guitest::dialogIcon(box), IconKind::Warning);
        EXPECT_EQ(box.owner(), main_);
        EXPECT_EQ(box.caption(), product::MainCaption);
        std::vector<int> ids;
        int defaultId = 0;
        for (const guitest::ButtonInfo& button : guitest::pushButtons(box)) {
            ids.push_back(button.id);
            defaultId = button.isDefault ? button.id : defaultId;
        }
        EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(defaultId, IDNO);
        return box;
    }

    // Yes: the worker stops, the operator is told the update was stopped, the window stays and
    // goes idle, and the printer is offered nothing more.
    void AnswerYesAndExpectTheStop(const Window& question) {
        press(question, IDYES);
        const Window box = waitForBox(product::TransferLimit);
        EXPECT_EQ(guitest::messageText(box), StoppedText);
        EXPECT_EQ(box.caption(), product::MainCaption);
        EXPECT_EQ(guitest::dialogIcon(box), IconKind::Warning);
        const std::size_t sends = sendCount();
        press(box, IDOK);
        waitUntilIdle();
        EXPECT_TRUE(main_.exists() && main_.visible());
        // The worker ended before the box came: whatever it sent is in the log already.
        EXPECT_EQ(sendCount(), sends);
        EXPECT_FALSE(portClosedAtTheEnd());
        EXPECT_TRUE(app().running());
    }

    std::string data_;
};

// Update clicked with the mouse, then a real Esc key press: the question comes; Yes stops.
TEST_F(StopTest, EscAfterAMouseClickAsksAndYesStops) {
    StartStalled();
    guitest::clickCentre(control(IDC_UPDATE));
    waitForSends(StalledSends);
    guitest::pressKey(main_, VK_ESCAPE);
    AnswerYesAndExpectTheStop(WaitForQuestion());
}

// Update clicked with the keyboard (Tab to it, Space), then Esc: No lets the transfer go on
// while the question is up and after it; the whole file arrives.
TEST_F(StopTest, EscAfterAKeyboardClickAsksAndNoLetsTheTransferGoOn) {
    StartStalled(400);
    ASSERT_TRUE(guitest::tabTo(main_, control(IDC_UPDATE), 8)) << "Tab never reached Update";
    guitest::pressKey(main_, VK_SPACE);
    waitForSends(StalledSends);
    guitest::pressKey(main_, VK_ESCAPE);
    const Window question = WaitForQuestion();
    const std::size_t asked = sendCount();
    guitest::waitFor("sends to go on while the question is up",
                     [&] { return sendCount() > asked + 5; });
    press(question, IDNO);
    EXPECT_TRUE(allEnabled(false));
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(box.caption(), "Completion");
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_TRUE(capture() == data_);
}

// The close box asks too: No keeps the window and the transfer, a second time Yes stops it;
// once idle, the close box ends the program as usual.
TEST_F(StopTest, CloseBoxAsksAndTheWindowStays) {
    StartStalled();
    clickUpdate();
    waitForSends(StalledSends);
    main_.post(WM_SYSCOMMAND, SC_CLOSE);
    press(WaitForQuestion(), IDNO);
    const std::size_t answered = sendCount();
    guitest::waitFor("sends to go on after No", [&] { return sendCount() > answered + 5; });
    EXPECT_TRUE(main_.exists() && main_.visible());
    EXPECT_TRUE(allEnabled(false));
    main_.post(WM_SYSCOMMAND, SC_CLOSE);
    AnswerYesAndExpectTheStop(WaitForQuestion());
    main_.post(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(app().waitForExit(), 0u);
}

// Enter with no button focused is OK, which ends a dialog: not during a transfer. Neither the
// key nor the command it turns into (when the window itself has the focus) does anything, and
// Esc still stops the transfer afterwards. The window takes posted messages before input and
// keys in the order pressed, so once Esc's question is up, Enter and the command have been
// handled.
TEST_F(StopTest, EnterDuringATransferDoesNotEndTheWindow) {
    StartStalled();
    clickUpdate();
    waitForSends(StalledSends);
    guitest::pressKey(main_, VK_RETURN);
    main_.post(WM_COMMAND, IDOK);
    guitest::pressKey(main_, VK_ESCAPE);
    const Window question = WaitForQuestion();
    EXPECT_TRUE(main_.exists() && main_.visible());
    EXPECT_EQ(app().visibleWindows("#32770").size(), 2u);
    EXPECT_TRUE(allEnabled(false));
    AnswerYesAndExpectTheStop(question);
}

// A stray Enter on the question (a real key press) is No: the transfer goes on.
TEST_F(StopTest, EnterOnTheQuestionLetsTheTransferGoOn) {
    StartStalled();
    clickUpdate();
    waitForSends(StalledSends);
    guitest::pressKey(main_, VK_ESCAPE);
    const Window question = WaitForQuestion();
    guitest::pressKey(question, VK_RETURN);
    app().waitForWindowGone(question);
    const std::size_t answered = sendCount();
    guitest::waitFor("sends to go on after Enter", [&] { return sendCount() > answered + 5; });
    EXPECT_TRUE(allEnabled(false));
    guitest::pressKey(main_, VK_ESCAPE);
    AnswerYesAndExpectTheStop(WaitForQuestion());
}

// A send that blocks in the library: once the operator has said Yes, the window says at once
// that it is stopping and waits for the printer, while the call is still under way (the log
// holds no send yet). A second Esc repeats that and does not ask again: the next box is the
// stop message, when the call returns. Afterwards the status has gone.
TEST_F(StopTest, StopPendingOnABlockedSendIsShown) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(0).latency(30000);
    setup.data = simctl::testData(3000);
    start(setup);
    const Window status = control(IDC_OPERATION_GROUP);
    clickUpdate();
    guitest::waitFor("the busy state", [&] { return allEnabled(false); });
    guitest::pressKey(main_, VK_ESCAPE);
    press(WaitForQuestion(), IDYES);
    guitest::waitFor("the stopping state",
                     [&] { return status.text() == product::StoppingStatus; });
    EXPECT_EQ(sendCount(), 0u) << "the blocked send had returned already";
    guitest::pressKey(main_, VK_ESCAPE);
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), StoppedText);
    EXPECT_EQ(status.text(), product::StoppingStatus);
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_EQ(status.text(), "");
}
