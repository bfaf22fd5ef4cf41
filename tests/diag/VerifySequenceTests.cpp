// Verify's sequence through its functions, in this process, against the simulated printer: for
// every way it can fail, the box it decides on, how far the bar got, the bytes that reached the
// printer (no ED after a failed read) and the port left open for the next Open to close.
#include "ControlHost.h"
#include "PrinterCommands.h"
#include "SimFolder.h"

#include "app/UpdaterApp.h"
#include "diag/DiagCommands.h"
#include "diag/Verify.h"
#include "fw/BarProgress.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace wire;
using simctl::lpt;

constexpr char CommError[] = "Communication error!";
constexpr char NoKeyword[] = "The connected device does not support ZKL command.";

// One row: what goes wrong, and what the operator and the printer see.
struct FailureRow {
    const char* name;
    std::function<void(simctl::Scenario::Printer&)> setup;
    const char* message;
    // Bar position when the sequence ends, which the box shows it at.
    int position;
    // What reached the printer.
    std::vector<std::string> writes;
    // True when the port was opened and must be left so.
    bool leftOpen;
};

// Lets gtest name the rows.
void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

// The pause after ENTER is not waited here.
void NoPause(uint32_t) {}

class VerifyFailureTest : public ::testing::TestWithParam<FailureRow> {
protected:
    void SetUp() override { previousPause_ = DiagCommands::ReplacePauseForTesting(NoPause); }
    void TearDown() override { DiagCommands::ReplacePauseForTesting(previousPause_); }

    unittest::SimFolder sim_;

private:
    DiagCommands::Pause previousPause_ = nullptr;
};

// The box (text, default caption, error icon), the bar's range and position, the bytes sent,
// and no close after the failure.
TEST_P(VerifyFailureTest, DecidesTheMessageAndStopsTheSequence) {
    const FailureRow& row = GetParam();
    simctl::Scenario scenario;
    simctl::Scenario::Printer& printer = scenario.printer(lpt(1)).rate(0);
    if (row.setup) {
        row.setup(printer);
    }
    sim_.Use(scenario);
    // The commands reach the port library through the running application object.
    const auto app = std::make_unique<UpdaterApp>();
    ASSERT_TRUE(app->Ports().IsLoaded());
    testsupport::ControlHost controls;
    controls.Progress().SetRange32(0, 100);
    controls.Progress().SetPos(42);

    fw::BarProgress progress(controls.Progress());
    const VerifyResult result = RunVerify(app->Ports(), app->Diag(), lpt(1), progress);
    const fw::BoxContent box = VerifyResultBox(result);
    EXPECT_EQ(row.message, box.text);
    EXPECT_EQ("", box.caption) << "the system's default caption";
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), box.icon);
    const HWND bar = controls.Progress().Handle();
    EXPECT_EQ(row.position, static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0)));
    PBRANGE range = {};
    ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(5, range.iHigh);
    EXPECT_EQ(Joined(row.writes), simctl::readFile(sim_.Files().capture));

    const std::vector<std::string> calls = simctl::callNames(sim_.Calls());
    const auto lastOpen = std::find(calls.rbegin(), calls.rend(), "PortOpenByLvx");
    if (row.leftOpen) {
        ASSERT_NE(lastOpen, calls.rend());
        EXPECT_EQ(std::find(calls.rbegin(), lastOpen, "PortCloseByLvx"), lastOpen)
            << "the port must stay open";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, VerifyFailureTest,
    ::testing::Values(
        FailureRow{"OpenFails", [](auto& p) { p.open(0x0103); }, CommError, 0, {}, false},
        FailureRow{
            "DeviceIdReadFails", [](auto& p) { p.deviceIdResult(0x0103); }, CommError, 0, {}, true},
        FailureRow{"NoKeyword",
                   [](auto& p) { p.deviceId("MFG:Other;CMD:PCL;MDL:X;"); },
                   NoKeyword,
                   0,
                   {},
                   true},
        FailureRow{"LowerCaseKeyword",
                   [](auto& p) { p.deviceId("MFG:Other;CMD:zkl,PCL;"); },
                   NoKeyword,
                   0,
                   {},
                   true},
        FailureRow{"FullDeviceIdWithoutKeyword",
                   [](auto& p) { p.deviceId(std::string(1022, 'A') + "ZK"); },
                   NoKeyword,
                   0,
                   {},
                   true},
        FailureRow{"PrefixFails",
                   [](auto& p) { p.sendFail(std::string("\x1B\x01@ZKL", 6), 0x1000, -5); },
                   CommError,
                   1,
                   {},
                   true},
        FailureRow{"EnterFails",
                   [](auto& p) { p.sendFail("@ZKL ENTER", 0x0103); },
                   CommError,
                   2,
                   {Prefix},
                   true},
        FailureRow{"VersionSendFails",
                   [](auto& p) { p.sendFail("CD 5,2", 0x0103); },
                   CommError,
                   3,
                   {Prefix, Enter},
                   true},
        FailureRow{"VersionReceiveFails",
                   [](auto& p) { p.versionFail(0x1000, -5); },
                   CommError,
                   3,
                   {Prefix, Enter, VersionRead},
                   true},
        FailureRow{"VersionRejected",
                   [](auto& p) { p.versionReply("DIAG CD=E2,01,01,01,0g"); },
                   CommError,
                   3,
                   {Prefix, Enter, VersionRead},
                   true},
        FailureRow{"VersionTimesOutEmpty",
                   [](auto& p) { p.versionTimeOut(); },
                   CommError,
                   3,
                   {Prefix, Enter, VersionRead},
                   true},
        FailureRow{"FirstByteReadFails",
                   [](auto& p) { p.addressFail(0x11BA, 0x0107); },
                   CommError,
                   4,
                   {Prefix, Enter, VersionRead, FirstRead},
                   true},
        FailureRow{"SecondByteRejected",
                   [](auto& p) { p.addressReply(0x12BA, "DIAG CD=12,ab"); },
                   CommError,
                   4,
                   {Prefix, Enter, VersionRead, FirstRead, SecondRead},
                   true},
        FailureRow{"LeaveFails",
                   [](auto& p) { p.sendFail("ED\r\n", 0x0103); },
                   CommError,
                   5,
                   {Prefix, Enter, VersionRead, FirstRead, SecondRead},
                   true},
        FailureRow{"SecondPrefixFails",
                   [](auto& p) { p.sendFail(Prefix, 0x0103, 0, 2); },
                   CommError,
                   5,
                   {Prefix, Enter, VersionRead, FirstRead, SecondRead, Leave},
                   true}),
    [](const ::testing::TestParamInfo<FailureRow>& param) {
        return std::string(param.param.name);
    });

} // namespace
