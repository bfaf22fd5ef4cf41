// The port list from Wine's own spooler, whose ports a test sets in the registry of its prefix:
// the order the spooler gives, changes seen at once, and the tool's list and detection on it.
#include "ControlHost.h"
#include "RegistryPorts.h"
#include "SimFolder.h"

#include "app/UpdaterApp.h"
#include "ports/PortList.h"
#include "ports/SpoolerPorts.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using portstest::RegistryPorts;
using simctl::lpt;
using simctl::usb;
using testsupport::ControlHost;
using Strings = std::vector<std::string>;

constexpr char Auto[] = "Auto selection";

// Names as the tool's spooler source gives them, in its order; empty when it fails.
Strings SpoolerNames() {
    SpoolerPorts spooler;
    DWORD needed = 0;
    DWORD returned = 0;
    if (spooler.Enumerate(nullptr, 0, needed, returned) != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    std::unique_ptr<BYTE[]> block = spooler.Allocate(needed);
    if (spooler.Enumerate(block.get(), needed, needed, returned) != ERROR_SUCCESS) {
        return {};
    }
    Strings names;
    const auto* records = reinterpret_cast<const PORT_INFO_1A*>(block.get());
    for (DWORD i = 0; i < returned; ++i) {
        names.emplace_back(records[i].pName);
    }
    return names;
}

class SpoolerListTest : public ::testing::Test {
protected:
    // Printers: LPT1 without a model, USB001 with one; the library loads after the scenario.
    void SetUp() override {
        simctl::Scenario scenario;
        scenario.printer(lpt(1)).modelResult(0x1000, -5);
        scenario.printer(usb(1)).model("KT-9200");
        sim_.Use(scenario);
        app_ = std::make_unique<UpdaterApp>();
    }

    // Refills list from the spooler, asking each printer for its model.
    void Fill(ControlHost& window) {
        FillPortList(window.PortList(), spooler_, app_->Ports(), true);
    }

    // What detection gives with the spooler.
    PortId Detect() { return DetectPrinter(spooler_, app_->Ports()); }

    unittest::SimFolder sim_;
    std::unique_ptr<UpdaterApp> app_;
    SpoolerPorts spooler_;
};

// What the GUI tests rely on: Wine gives the ports sorted by name, whatever order they were
// added in.
TEST_F(SpoolerListTest, WineListsThePortsSortedByName) {
    RegistryPorts ports({"USB001", "LPT2:", "COM1:", "QRUSB1:", "LPT1:"});
    EXPECT_EQ(SpoolerNames(), (Strings{"COM1:", "LPT1:", "LPT2:", "QRUSB1:", "USB001"}));
}

// Every opening of the list asks the spooler anew; the registry change shows at once.
TEST_F(SpoolerListTest, TheListFollowsTheSpoolerAtEveryRefill) {
    RegistryPorts ports({"LPT1:", "COM1:", "USB001", "QRUSB1:"});
    ControlHost window;
    Fill(window);
    EXPECT_EQ(window.Items(), (Strings{"USB001 (KT-9200)", "QRUSB1: (KT-9200)", "LPT1:", Auto}));
    RegistryPorts::Set({"LPT2:", "FILE:"});
    Fill(window);
    EXPECT_EQ(window.Items(), (Strings{"LPT2:", Auto}));
}

TEST_F(SpoolerListTest, DetectionTakesTheFirstPortTheSpoolerLists) {
    RegistryPorts ports({"USB001", "LPT1:", "COM1:"});
    EXPECT_EQ(Detect(), lpt(1));
    RegistryPorts::Set({"USB001", "LPT2:"});
    EXPECT_EQ(Detect(), usb(1));
}

// Wine's spooler fails the size query when there is no port at all (Windows would succeed
// with nothing): either way the list stays as it was and detection gives 0.
TEST_F(SpoolerListTest, WithNoPortAtAllTheListStaysAndDetectionGivesZero) {
    RegistryPorts ports(Strings{});
    ControlHost window;
    Fill(window);
    EXPECT_EQ(window.Items(), (Strings{Auto}));
    EXPECT_EQ(window.PortList().GetCurSel(), 0);
    EXPECT_EQ(Detect(), 0);
    EXPECT_TRUE(simctl::callNames(sim_.Calls()).empty());
}

// Without the spooler's library, or with a library that lacks its entry point, there is no
// spooler port and nothing worse: the list keeps "Auto selection" alone, and detection opens no
// port. The library names stand for a system folder without the spooler.
TEST_F(SpoolerListTest, WithoutTheSpoolerThereIsNoSpoolerPort) {
    RegistryPorts ports({"LPT1:", "USB001"});
    for (const wchar_t* library : {L"nosuchspooler.drv", L"version.dll"}) {
        SpoolerPorts spooler(library);
        Strings names{"kept"};
        EXPECT_EQ(ReadCandidatePorts(spooler, names), PortListRead::Unavailable);
        EXPECT_EQ(names, Strings{"kept"});
        EXPECT_EQ(DetectPrinter(spooler, app_->Ports()), 0);
    }
    EXPECT_TRUE(simctl::callNames(sim_.Calls()).empty());
}

} // namespace
