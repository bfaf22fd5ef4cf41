// The lines the real program leaves for a debug viewer when an Update fails: the operator sees
// only "Communication error!" or the missing-file text; support needs the failed call.
#include "AppTest.h"
#include "Product.h"

#include "DebugViewer.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

using guitest::Millis;

constexpr char UpdatePrefix[] = "Corvane: Update: ";

} // namespace

class TraceTest : public AppTest {
protected:
    // Starts the program, clicks Update and waits for the result box to be closed.
    void RunUpdate(const Setup& setup) {
        start(setup);
        clickUpdate();
        press(waitForBox(product::TransferLimit), IDOK);
        waitUntilIdle();
    }

    // The program's lines about the update itself (under Wine the shutdown block's reason
    // fails as not implemented, with a line of its own).
    std::vector<std::string> Lines() const { return viewer_.linesOf(app().id(), UpdatePrefix); }

    guitest::DebugViewer viewer_;
};

// No port opens: each candidate that "Auto selection" tried, then the worker's own open of the
// no-printer port, with the library's result.
TEST_F(TraceTest, FailedOpenNamesTheCallItsResultAndThePort) {
    Setup setup;
    setup.scenario.noPrinterResult(0x2000);
    setup.scenario.printer(simctl::lpt(1)).rate(0).open(0x2000);
    setup.data = simctl::testData(3000);
    RunUpdate(setup);
    EXPECT_EQ(viewer_.waitForLine(app().id(), "port 1152"),
              "Corvane: Auto selection: PortOpenByLvx failed, result 0x2000, port 1152");
    EXPECT_EQ(viewer_.waitForLine(app().id(), "Update:"),
              "Corvane: Update: PortOpenByLvx failed, result 0x2000, port 1283");
}

// A send that fails for good after two pieces: its result, the I/O detail and what the printer
// had taken.
TEST_F(TraceTest, SendFailureNamesItsDetailAndTheBytesSent) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(0).hardFail(2500, 0x1000, -5);
    setup.data = simctl::testData(5000);
    RunUpdate(setup);
    EXPECT_EQ(viewer_.waitForLine(app().id(), "SendByLvx"),
              "Corvane: Update: SendByLvx failed, result 0x1000, I/O detail -5, 2000 bytes sent");
}

// A printer that stops taking data, stopped by the operator: one line when the stall begins,
// however many attempts it refuses, then the stop, each with the bytes taken before the stall.
TEST_F(TraceTest, StalledTransferStoppedByTheOperator) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(0).latency(5).stall(0, 3);
    setup.data = simctl::testData(10000);
    start(setup);
    clickUpdate();
    waitForSends(8);
    main_.post(WM_SYSCOMMAND, SC_CLOSE);
    press(waitForBox(), IDYES);
    press(waitForBox(product::TransferLimit), IDOK);
    waitUntilIdle();
    viewer_.waitForLine(app().id(), "stopped");
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Corvane: Update: SendByLvx failed, result 0x1000, I/O detail -81, "
                           "took 0 of 1000, 2000 bytes sent",
                           "Corvane: Update: transfer stopped by the operator, 2000 bytes sent"}));
}

// No data file: the open's system error (2, file not found) and the path it looked for.
TEST_F(TraceTest, MissingFileNamesTheSystemErrorAndThePath) {
    Setup setup = {instantPrinter(), std::nullopt};
    RunUpdate(setup);
    EXPECT_EQ(viewer_.waitForLine(app().id(), "CreateFileW"),
              "Corvane: Update: CreateFileW failed, GetLastError 2, " +
                  file("NV(01_01_06)_update.dcc"));
}
