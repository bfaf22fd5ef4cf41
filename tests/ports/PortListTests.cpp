// The port list, automatic detection and the reading of the choice, through the port-list
// functions on a list of the test's own, against the simulated library and a stand-in spooler
// that gives the ports in any order and fails at any step.
#include "FakeSpooler.h"
#include "ControlHost.h"
#include "SimFolder.h"

#include "app/UpdaterApp.h"
#include "ports/PortList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using portstest::FakeSpooler;
using simctl::LogRecord;
using simctl::lpt;
using simctl::usb;
using testsupport::ControlHost;
using Strings = std::vector<std::string>;

constexpr char Auto[] = "Auto selection";
constexpr uint16_t CheckFailed = 0x0103;
constexpr uint16_t ModelFailed = 0x1000;

// The ports that PortOpenByLvx was called with, in order.
std::vector<long long> OpenedPorts(const std::vector<LogRecord>& calls) {
    std::vector<long long> ports;
    for (const LogRecord& call : calls) {
        if (call.name == "PortOpenByLvx") {
            ports.push_back(call.number("port"));
        }
    }
    return ports;
}

// A main window of the tool over the simulated library, with the scenario on disk first.
class PortListTest : public ::testing::Test {
protected:
    // The library reads the scenario at every open, and its log path when it loads.
    void Start(const simctl::Scenario& scenario) {
        sim_.Use(scenario);
        app_ = std::make_unique<UpdaterApp>();
        ASSERT_TRUE(app_->Ports().IsLoaded());
    }

    // Refills list from spooler, asking each printer for its model, as the window does while
    // no other copy holds the ports.
    void Fill(ControlHost& window, FakeSpooler& spooler) {
        FillPortList(window.PortList(), spooler, app_->Ports(), true);
    }

    // The list after one refill from spooler.
    Strings ListAfterFill(FakeSpooler& spooler) {
        ControlHost window;
        Fill(window, spooler);
        EXPECT_EQ(window.PortList().GetCurSel(), CB_ERR) << "nothing is selected";
        return window.Items();
    }

    // What detection gives with spooler.
    PortId Detect(FakeSpooler& spooler) { return DetectPrinter(spooler, app_->Ports()); }

    // The port of the selected item.
    PortId Selected(ControlHost& window, FakeSpooler& spooler) {
        return SelectedPort(window.PortList(), spooler, app_->Ports());
    }

    // Entry point calls logged so far.
    std::vector<LogRecord> Calls() const { return sim_.Calls(); }

    unittest::SimFolder sim_;
    std::unique_ptr<UpdaterApp> app_;
};

// ---- The list ----

TEST_F(PortListTest, ListsCandidatesInReverseSpoolerOrderWithModelsAndAutoLast) {
    simctl::Scenario scenario;
    scenario.printer(usb(1)).model("KT-9200");
    Start(scenario);
    FakeSpooler spooler({"LPT1:", "LPT2:", "COM1:", "FILE:", "USB001"});
    EXPECT_EQ(ListAfterFill(spooler), (Strings{"USB001 (KT-9200)", "LPT2:", "LPT1:", Auto}));
    // Candidates only, in the spooler's order; the port that opened is closed right after.
    EXPECT_EQ(OpenedPorts(Calls()), (std::vector<long long>{lpt(1), lpt(2), usb(1)}));
    EXPECT_EQ(simctl::callNames(Calls()),
              (Strings{"PortCloseByLvx", "PortOpenByLvx", "PortCloseByLvx", "PortOpenByLvx",
                       "PortCloseByLvx", "PortOpenByLvx", "GetModelNameByLvx", "PortCloseByLvx"}));
}

TEST_F(PortListTest, AQrusbPortIsListedAndQueriedAsItsUsbNumber) {
    simctl::Scenario scenario;
    scenario.printer(usb(1)).model("KT-9600");
    Start(scenario);
    FakeSpooler spooler({"QRUSB1:", "COM3:", "usb002", "Usb003", "lpt1:"});
    EXPECT_EQ(ListAfterFill(spooler), (Strings{"QRUSB1: (KT-9600)", Auto}));
    EXPECT_EQ(OpenedPorts(Calls()), (std::vector<long long>{usb(1)}));
}

TEST_F(PortListTest, APrinterWithoutAModelIsListedBareAndItsPortClosed) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).modelResult(ModelFailed, -5);
    scenario.printer(lpt(2)).model("KT-9200");
    Start(scenario);
    FakeSpooler spooler({"LPT1:", "LPT2:"});
    EXPECT_EQ(ListAfterFill(spooler), (Strings{"LPT2: (KT-9200)", "LPT1:", Auto}));
    EXPECT_EQ(simctl::callNames(Calls()),
              (Strings{"PortCloseByLvx", "PortOpenByLvx", "GetModelNameByLvx", "PortCloseByLvx",
                       "PortCloseByLvx", "PortOpenByLvx", "GetModelNameByLvx", "PortCloseByLvx"}));
}

// Fault: the item was once mapped by its whole text, so a model name holding "USB" sent the
// update to a USB port. The item keeps the port it was made from.
TEST_F(PortListTest, AModelSuffixHoldingUsbLeavesTheItemOnItsPort) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).model("X USB2");
    Start(scenario);
    FakeSpooler spooler({"LPT1:"});
    ControlHost window;
    Fill(window, spooler);
    ASSERT_EQ(window.Items(), (Strings{"LPT1: (X USB2)", Auto}));
    window.PortList().SetCurSel(0);
    EXPECT_EQ(Selected(window, spooler), lpt(1));
}

// The library may fill all 100 bytes with no terminator: the suffix stops at the buffer's end.
TEST_F(PortListTest, AModelFillingTheWholeBufferIsCutAtItsEnd) {
    const std::string hundred = std::string(60, 'K') + std::string(40, 'Z');
    simctl::Scenario scenario;
    scenario.printer(usb(1)).model(hundred + "TAIL-NOT-IN-THE-BUFFER");
    scenario.printer(usb(2)).model(hundred);
    Start(scenario);
    FakeSpooler spooler({"USB001", "USB002"});
    EXPECT_EQ(ListAfterFill(spooler),
              (Strings{"USB002 (" + hundred + ")", "USB001 (" + hundred + ")", Auto}));
}

TEST_F(PortListTest, WithoutCandidatesOnlyAutoSelectionRemains) {
    Start(simctl::Scenario());
    FakeSpooler spooler({"COM1:", "COM2:", "FILE:", "XPSPort:", "nul:"});
    EXPECT_EQ(ListAfterFill(spooler), (Strings{Auto}));
    EXPECT_TRUE(OpenedPorts(Calls()).empty());
}

TEST_F(PortListTest, AnEmptyFetchedListLeavesOnlyAutoSelection) {
    Start(simctl::Scenario());
    FakeSpooler spooler({"LPT1:", "USB001"}, FakeSpooler::Failure::FetchGivesNone);
    EXPECT_EQ(ListAfterFill(spooler), (Strings{Auto}));
}

TEST_F(PortListTest, EachRefillRebuildsTheListAndClearsTheSelection) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).model("KT-9600");
    Start(scenario);
    FakeSpooler spooler({"LPT1:", "USB003"});
    ControlHost window;
    Fill(window, spooler);
    window.PortList().SetCurSel(1);
    Fill(window, spooler);
    EXPECT_EQ(window.Items(), (Strings{"USB003", "LPT1: (KT-9600)", Auto}));
    EXPECT_EQ(window.PortList().GetCurSel(), CB_ERR);
    EXPECT_EQ(OpenedPorts(Calls()), (std::vector<long long>{lpt(1), usb(3), lpt(1), usb(3)}));
}

// Every way the spooler's list cannot be read: the list and its selection stay as they were,
// and no port is touched.
TEST_F(PortListTest, AnUnreadableSpoolerListChangesNothing) {
    Start(simctl::Scenario());
    const FakeSpooler::Failure failures[] = {
        FakeSpooler::Failure::SizeSucceeds, FakeSpooler::Failure::SizeFails,
        FakeSpooler::Failure::NoMemory, FakeSpooler::Failure::FetchFails};
    for (const FakeSpooler::Failure failure : failures) {
        SCOPED_TRACE("failure " + std::to_string(static_cast<int>(failure)));
        FakeSpooler good({"LPT1:", "USB001"});
        FakeSpooler bad({"LPT3:"}, failure);
        ControlHost window;
        Fill(window, good);
        window.PortList().SetCurSel(1);
        const Strings before = window.Items();
        Fill(window, bad);
        EXPECT_EQ(window.Items(), before);
        EXPECT_EQ(window.PortList().GetCurSel(), 1);
        EXPECT_EQ(bad.AllocateCalls(), failure == FakeSpooler::Failure::NoMemory ||
                                               failure == FakeSpooler::Failure::FetchFails
                                           ? 1
                                           : 0);
    }
    for (const long long port : OpenedPorts(Calls())) {
        EXPECT_NE(port, lpt(3));
    }
}

// ---- Automatic detection ----

TEST_F(PortListTest, DetectionTakesTheFirstCandidateThatOpensAndPassesTheCheck) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).check(CheckFailed);
    scenario.printer(usb(1));
    scenario.printer(lpt(2));
    Start(scenario);
    // LPT3 has no printer, LPT1 fails the check, USB001 comes before LPT2 in the spooler.
    FakeSpooler spooler({"COM1:", "LPT3:", "LPT1:", "USB001", "LPT2:"});
    EXPECT_EQ(Detect(spooler), usb(1));
    const std::vector<LogRecord> calls = Calls();
    EXPECT_EQ(OpenedPorts(calls), (std::vector<long long>{lpt(3), lpt(1), usb(1)}));
    // No close after the winner's check: the winner stays open.
    EXPECT_EQ(
        simctl::callNames(calls),
        (Strings{"PortCloseByLvx", "PortOpenByLvx", "PortCloseByLvx", "PortOpenByLvx",
                 "CheckDeviceIDByLvx", "PortCloseByLvx", "PortOpenByLvx", "CheckDeviceIDByLvx"}));
}

TEST_F(PortListTest, OfTwoAnsweringPrintersTheOneTheSpoolerListsFirstWins) {
    simctl::Scenario scenario;
    scenario.printer(usb(1));
    scenario.printer(lpt(2));
    Start(scenario);
    FakeSpooler lptFirst({"LPT2:", "USB001"});
    EXPECT_EQ(Detect(lptFirst), lpt(2));
    FakeSpooler usbFirst({"USB001", "LPT2:"});
    EXPECT_EQ(Detect(usbFirst), usb(1));
}

TEST_F(PortListTest, APortThatFailsTheCheckIsPassedOverAndLeftOpen) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).check(CheckFailed);
    Start(scenario);
    FakeSpooler spooler({"LPT1:"});
    EXPECT_EQ(Detect(spooler), NoPrinterFound);
    const std::vector<LogRecord> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().name, "CheckDeviceIDByLvx");
    EXPECT_EQ(calls.back().result, CheckFailed);
}

TEST_F(PortListTest, TheLibrarysOwnCheckSuccessCodeCountsAsAnAnswer) {
    simctl::Scenario scenario;
    scenario.printer(usb(4)).check(0x1001);
    Start(scenario);
    FakeSpooler spooler({"USB004"});
    EXPECT_EQ(Detect(spooler), usb(4));
}

TEST_F(PortListTest, NoAnsweringPrinterGivesNoPrinterFound) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).open(0x0103);
    scenario.printer(usb(1)).check(CheckFailed);
    Start(scenario);
    FakeSpooler spooler({"LPT1:", "USB001", "LPT2:", "COM1:"});
    EXPECT_EQ(Detect(spooler), NoPrinterFound);
    EXPECT_EQ(OpenedPorts(Calls()), (std::vector<long long>{lpt(1), usb(1), lpt(2)}));
    FakeSpooler noCandidate({"COM1:", "FILE:"});
    EXPECT_EQ(Detect(noCandidate), NoPrinterFound);
}

// 0 when the list cannot even be sized or held; NoPrinterFound when the fetch fails or gives no
// port; no port is tried in any of these.
TEST_F(PortListTest, AnEmptyOrUnreadableListGivesZeroOrNoPrinterFound) {
    Start(simctl::Scenario());
    struct Row {
        FakeSpooler::Failure failure;
        PortId expected;
    };
    const Row rows[] = {
        {FakeSpooler::Failure::SizeSucceeds, 0},
        {FakeSpooler::Failure::SizeFails, 0},
        {FakeSpooler::Failure::NoMemory, 0},
        {FakeSpooler::Failure::FetchFails, NoPrinterFound},
        {FakeSpooler::Failure::FetchGivesNone, NoPrinterFound},
    };
    for (const Row& row : rows) {
        FakeSpooler spooler({"LPT1:"}, row.failure);
        EXPECT_EQ(Detect(spooler), row.expected) << static_cast<int>(row.failure);
    }
    // A spooler without ports answers the size query with success: nothing to fetch.
    FakeSpooler none({});
    EXPECT_EQ(Detect(none), 0);
    EXPECT_TRUE(OpenedPorts(Calls()).empty());
}

// ---- Reading the choice ----

TEST_F(PortListTest, TheSelectedItemGivesItsPort) {
    simctl::Scenario scenario;
    scenario.printer(usb(2)).model("KT-9200");
    scenario.printer(lpt(1)).check(CheckFailed);
    Start(scenario);
    FakeSpooler spooler({"LPT1:", "USB002", "QRUSB5", "LPT3:"});
    ControlHost window;
    // Before any refill: the automatic item, selected, runs detection.
    EXPECT_EQ(Selected(window, spooler), usb(2));
    Fill(window, spooler);
    EXPECT_EQ(Selected(window, spooler), 0) << "nothing selected";
    const Strings items = window.Items();
    ASSERT_EQ(items, (Strings{"LPT3:", "QRUSB5", "USB002 (KT-9200)", "LPT1: (KT-9600)", Auto}));
    const PortId expected[] = {lpt(3), usb(5), usb(2), lpt(1), usb(2)};
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        window.PortList().SetCurSel(i);
        EXPECT_EQ(Selected(window, spooler), expected[i]) << items[i];
    }
}

TEST_F(PortListTest, AnEmptyItemTextGivesNoPortAndOnlyTheExactAutoTextDetects) {
    Start(simctl::Scenario());
    FakeSpooler spooler({"LPT1:"});
    ControlHost window;
    window.PortList().ResetContent();
    window.PortList().InsertString(0, "");
    window.PortList().InsertString(1, "auto selection");
    window.PortList().InsertString(2, "Auto selection ");
    for (int i = 0; i < 3; ++i) {
        window.PortList().SetCurSel(i);
        EXPECT_EQ(Selected(window, spooler), 0) << i;
    }
    EXPECT_TRUE(OpenedPorts(Calls()).empty()) << "no detection ran";
}

} // namespace
