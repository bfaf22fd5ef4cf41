// What the program asks of the port library at start and at exit, read from the simulator's
// call log after the program has ended.
#include "AppTest.h"
#include "Product.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Number of calls of an entry point.
size_t countOf(const std::vector<simctl::LogRecord>& calls, const std::string& name) {
    return static_cast<size_t>(std::count_if(calls.begin(), calls.end(),
                                             [&](const auto& call) { return call.name == name; }));
}

} // namespace

class LibraryCallsTest : public AppTest {
protected:
    // Ends the program with Quit and returns the whole log.
    std::vector<simctl::LogRecord> quitAndReadLog() {
        guitest::pressButton(main_, IDCANCEL);
        EXPECT_EQ(app().waitForExit(), 0u);
        return simctl::readLog(simFiles().log);
    }
};

// The five time-outs, then the receive type, each once and before any other call.
TEST_F(LibraryCallsTest, StartSetsTimeOutsThenReceiveTypeOnceBeforeAnythingElse) {
    startApp();
    const std::vector<simctl::LogRecord> records = quitAndReadLog();
    ASSERT_FALSE(records.empty()) << "no log at " << simFiles().log;
    const std::vector<simctl::LogRecord> calls = simctl::callsOf(records);
    ASSERT_GE(calls.size(), 2u);
    const simctl::LogRecord& timeOuts = calls[0];
    EXPECT_EQ(timeOuts.name, "SetPortTimeOutByLvx") << timeOuts.raw;
    EXPECT_EQ(timeOuts.number("first"), 0xFFFFFFFFLL) << timeOuts.raw;
    EXPECT_EQ(timeOuts.number("second"), 0xFFFFFFFFLL) << timeOuts.raw;
    EXPECT_EQ(timeOuts.number("third"), 2000) << timeOuts.raw;
    EXPECT_EQ(timeOuts.number("fourth"), 0xFFFFFFFFLL) << timeOuts.raw;
    EXPECT_EQ(timeOuts.number("fifth"), 2000) << timeOuts.raw;
    EXPECT_EQ(calls[1].name, "SetReceiveTypeByLvx") << calls[1].raw;
    EXPECT_EQ(calls[1].number("type"), 3) << calls[1].raw;
    EXPECT_EQ(countOf(calls, "SetPortTimeOutByLvx"), 1u);
    EXPECT_EQ(countOf(calls, "SetReceiveTypeByLvx"), 1u);
}

// The library is loaded once and unloaded last; no close comes right before the unload, also
// after the port list has been opened.
TEST_F(LibraryCallsTest, ExitUnloadsTheLibraryWithNoCloseRightBefore) {
    startApp();
    const guitest::Window portList = control(IDC_PORT_LIST);
    guitest::dropDownByClick(portList);
    guitest::closeDropDown(portList);
    const std::vector<simctl::LogRecord> records = quitAndReadLog();
    const auto isLoad = [](const auto& r) { return r.kind == simctl::LogRecord::Kind::Load; };
    const auto isUnload = [](const auto& r) { return r.kind == simctl::LogRecord::Kind::Unload; };
    ASSERT_EQ(std::count_if(records.begin(), records.end(), isLoad), 1);
    ASSERT_EQ(std::count_if(records.begin(), records.end(), isUnload), 1);
    const auto unload = std::find_if(records.begin(), records.end(), isUnload);
    for (auto after = unload + 1; after != records.end(); ++after) {
        EXPECT_NE(after->kind, simctl::LogRecord::Kind::Call)
            << "call after unload: " << after->raw;
    }
    const auto lastCall =
        std::find_if(std::make_reverse_iterator(unload), records.rend(),
                     [](const auto& r) { return r.kind == simctl::LogRecord::Kind::Call; });
    ASSERT_NE(lastCall, records.rend());
    EXPECT_NE(lastCall->name, "PortCloseByLvx") << "the library was closed right before unload";
}
