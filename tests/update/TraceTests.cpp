// The lines the real program leaves for a debug viewer when an Update fails: the operator sees
// only "Communication error!" or the missing-file text; support needs the failed call.
#include "AppTest.h"
#include "Product.h"

#include "DebugViewer.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using guitest::Millis;

constexpr char UpdatePrefix[] = "Corvane: Update: ";

// A line tells support each of facts (the call, its result, what it had done), in that order;
// how it words the rest is free.
void ExpectFactsInOrder(const std::string& line, std::initializer_list<std::string> facts) {
    std::size_t from = 0;
    for (const std::string& fact : facts) {
        const std::size_t at = line.find(fact, from);
        EXPECT_NE(at, std::string::npos) << "\"" << fact << "\" missing from: " << line;
        from = at == std::string::npos ? from : at + fact.size();
    }
}

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
    ExpectFactsInOrder(viewer_.waitForLine(app().id(), "port 1152"),
                       {"Corvane: Auto selection: ", "PortOpenByLvx failed", "0x2000", "1152"});
    ExpectFactsInOrder(viewer_.waitForLine(app().id(), "Update:"),
                       {UpdatePrefix, "PortOpenByLvx failed", "0x2000", "1283"});
}

// A send that fails for good after two pieces: its result, the I/O detail and what the printer
// had taken.
TEST_F(TraceTest, SendFailureNamesItsDetailAndTheBytesSent) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(0).hardFail(2500, 0x1000, -5);
    setup.data = simctl::testData(5000);
    RunUpdate(setup);
    ExpectFactsInOrder(viewer_.waitForLine(app().id(), "SendByLvx"),
                       {UpdatePrefix, "SendByLvx failed", "0x1000", "-5", "2000 bytes sent"});
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
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u) << "one line for the stall, one for the stop";
    ExpectFactsInOrder(lines[0], {"SendByLvx failed", "0x1000", "-81", "2000 bytes sent"});
    ExpectFactsInOrder(lines[1], {"stopped by the operator", "2000 bytes sent"});
    EXPECT_EQ(lines[1].find("failed"), std::string::npos) << "a stop asked for is no failure";
}

// No data file: the open's system error (2, file not found) and the path it looked for.
TEST_F(TraceTest, MissingFileNamesTheSystemErrorAndThePath) {
    Setup setup = {instantPrinter(), std::nullopt};
    RunUpdate(setup);
    ExpectFactsInOrder(viewer_.waitForLine(app().id(), "CreateFileW"),
                       {UpdatePrefix, "CreateFileW failed", " 2", file("NV(01_01_06)_update.dcc")});
}
