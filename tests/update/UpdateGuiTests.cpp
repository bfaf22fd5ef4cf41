// Update on the real program, seen from outside: the transfer with partial sends, the busy
// state while it runs, the message for each kind of result, and Verify after.
#include "AppTest.h"
#include "Product.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

namespace {

using guitest::IconKind;
using guitest::Millis;
using guitest::Window;

constexpr char DoneText[] = "The NVM update is completed when data LED turns off the light.\r\n"
                            "Then restart the printer and click [Verify] button to check the "
                            "NVM version.";
constexpr char DefaultCaption[] = "Error";
// Long enough for any of these transfers under a loaded Wine.

} // namespace

// The Update operation end to end on the real program.
class UpdateGuiTest : public AppTest {};

// A 123456-byte file through a printer that takes at most 400 bytes per send: while it runs,
// the list and the three buttons are disabled and the bar moves; the completion box comes with
// the bar full; closing it enables everything and resets the bar; the printer got every byte.
TEST_F(UpdateGuiTest, PartialSendsDeliverTheWholeFileWhileTheWindowIsBusy) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(100000).partial(400);
    setup.data = simctl::testData(123456);
    start(setup);
    const Window bar = control(IDC_PROGRESS);
    clickUpdate();
    guitest::waitFor("the bar to move", [&] { return bar.progressPosition() >= 5; });
    EXPECT_TRUE(allEnabled(false));
    EXPECT_TRUE(main_.enabled());
    EXPECT_EQ(bar.progressRange(), std::make_pair(0, 123));
    const int moving = bar.progressPosition();
    EXPECT_LT(moving, 123);

    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), DoneText);
    EXPECT_EQ(box.caption(), "Completion");
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Information);
    EXPECT_EQ(box.owner(), main_);
    EXPECT_EQ(bar.progressPosition(), 123);
    EXPECT_TRUE(allEnabled(false));
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_EQ(bar.progressPosition(), 0);
    EXPECT_TRUE(capture() == *setup.data) << "capture of " << capture().size() << " bytes";
    EXPECT_TRUE(portClosedAtTheEnd());
    EXPECT_TRUE(app().running());
}

// One way a run can end, and what the operator must see.
struct ResultCase {
    const char* name;
    // Scenario lines for the printer on LPT1.
    const char* rules;
    const char* library;
    bool withData;
    const char* text;
    // Bar position while the box is up; -1 when it does not matter.
    int barWhileShown;
    // SendByLvx calls the run makes; -1 when it does not matter.
    int sends;
};

// Failure messages name the case.
void PrintTo(const ResultCase& c, std::ostream* out) {
    *out << c.name;
}

class ResultMessageTest : public AppTest, public ::testing::WithParamInterface<ResultCase> {};

// Every failure is an error box of the main window with no caption of its own; closing it
// leaves the busy state, resets the bar and keeps the program running.
TEST_P(ResultMessageTest, ShowsItsMessageThenLeavesTheBusyState) {
    const ResultCase& c = GetParam();
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(0).line(c.rules);
    if (c.withData) {
        setup.data = simctl::testData(5000);
    }
    setup.library = c.library;
    start(setup);
    clickUpdate();
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), c.text);
    EXPECT_EQ(box.caption(), DefaultCaption);
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
    EXPECT_EQ(box.owner(), main_);
    EXPECT_TRUE(allEnabled(false));
    if (c.barWhileShown >= 0) {
        EXPECT_EQ(control(IDC_PROGRESS).progressPosition(), c.barWhileShown);
    }
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_EQ(control(IDC_PROGRESS).progressPosition(), 0);
    if (c.sends >= 0) {
        EXPECT_EQ(sendCount(), static_cast<std::size_t>(c.sends));
    }
    EXPECT_TRUE(app().running());
}

INSTANTIATE_TEST_SUITE_P(
    Results, ResultMessageTest,
    ::testing::Values(
        // -245: no data file beside the program.
        ResultCase{"MissingFile", "", "Lorvex.dll", false,
                   "\"NV(01_01_06)_update.dcc\" file is not found.", 0, 0},
        // -20480: the library has no PortOpenByLvx.
        ResultCase{"NoOpenEntryPoint", "", "Lorvex_noPortOpenByLvx.dll", true, product::CommError,
                   0, 0},
        // A send fails for good after two pieces.
        ResultCase{"SendFailure", "hardfail = 2500 0x1000 -5", "Lorvex.dll", true,
                   product::CommError, 2, 3},
        // Fault: the library's 0x0103 arrives as 259, STILL_ACTIVE; the tool must not wait for
        // ever (the box must come within the test's limit).
        ResultCase{"Result0x0103", "hardfail = 2500 0x0103", "Lorvex.dll", true, product::CommError,
                   2, 3},
        // Fault: without GetIoErrorCodeByLvx an incomplete send cannot be told apart from a
        // failure; the run ends with the send's result at once, no retry.
        ResultCase{"NoIoErrorDetail", "partial = 400 at 2", "Lorvex_noGetIoErrorCodeByLvx.dll",
                   true, product::CommError, 1, 2}),
    [](const ::testing::TestParamInfo<ResultCase>& param) { return param.param.name; });

// The sample update file moves the printer to 1.01.06: Verify shows it at once, and again in a
// later run of the program, which reads the printer's kept state.
TEST_F(UpdateGuiTest, VerifyAfterUpdateShowsTheNewVersionAlsoInALaterRun) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::readFile(guitest::Driver::binaryFolder() + "\\NV(01_01_06)_update.dcc");
    ASSERT_FALSE(setup.data->empty());
    start(setup);
    clickUpdate();
    Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), DoneText);
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_EQ(simctl::storedVersion(file(simctl::StateFileName), simctl::lpt(1)), "01.01.06");
    const std::string shown = "NVM version = 1.01.06\r\n11BA = 05\r\n12BA = AB";

    control(IDC_VERIFY).clickByMessage();
    box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), shown);
    press(box, IDOK);
    control(IDCANCEL).clickByMessage();
    EXPECT_EQ(app().waitForExit(), 0u);

    guitest::AppProcess later(file("Corvane.exe"), driver().folder().path());
    const Window main = later.waitForWindow("#32770", "Corvane (NVM Ver.1.01.06)");
    main.child(IDC_VERIFY).clickByMessage();
    box = later.waitForDialog(main, product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), shown);
    guitest::pressButton(box, IDOK);
    later.waitForWindowGone(box);
    main.child(IDCANCEL).clickByMessage();
    EXPECT_EQ(later.waitForExit(), 0u);
}
