// Verify on the real program against the simulated printer, seen from outside: the bytes that
// reach the printer, the message box (text, caption, icon, owner), the progress bar while the
// box is up and after it, and the port left open after a failure.
#include "AppTest.h"
#include "PrinterCommands.h"
#include "Product.h"
#include "SimControl.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using guitest::Window;
using simctl::lpt;
using namespace wire;

namespace {

constexpr char NoKeyword[] = "The connected device does not support ZKL command.";
constexpr char Completion[] = "Completion";

// Covers the 2000 ms pause, the port waits and a slow start of the box.
constexpr guitest::Millis BoxLimit{20000};

// What the operator sees of a message box, and the bar behind it.
struct BoxSeen {
    std::string text;
    std::string caption;
    guitest::IconKind icon = guitest::IconKind::None;
    bool ownedByMain = false;
    std::vector<int> buttons;
    int position = -1;
    std::pair<int, int> range;
    // The entry points called by the time the box was up.
    std::vector<std::string> calls;
};

} // namespace

class VerifyTest : public AppTest {
protected:
    // The tool beside the simulated library (or a variant of it, copied in as Lorvex.dll),
    // which plays scenario.
    void StartWith(const simctl::Scenario& scenario, const char* library = "Lorvex.dll") {
        guitest::DriverOptions options;
        options.companions = {};
        const std::string dll = guitest::Driver::binaryFolder() + "\\" + library;
        const std::string image = simctl::readFile(dll);
        ASSERT_FALSE(image.empty()) << "cannot read " << dll;
        options.files = {{"Lorvex.dll", image}, {"Lorvex.sim", scenario.text()}};
        startApp(options);
    }
    // One instant printer on LPT1, changed by setup.
    static simctl::Scenario Printer(const std::function<void(simctl::Scenario::Printer&)>& setup) {
        simctl::Scenario scenario;
        simctl::Scenario::Printer& printer = scenario.printer(lpt(1)).rate(0);
        if (setup) {
            setup(printer);
        }
        return scenario;
    }
    // Gives the printer a new scenario; it takes effect at the next open.
    void Replay(const simctl::Scenario& scenario) const {
        driver().folder().writeFile("Lorvex.sim", scenario.text());
    }

    // Every entry point call so far.
    std::vector<simctl::LogRecord> Calls() const {
        return simctl::callsOf(simctl::readLog(driver().folder().file("Lorvex.sim.log")));
    }
    // Every byte the printer accepted so far.
    std::string Captured() const {
        return simctl::readFile(driver().folder().file("Lorvex.sim.capture"));
    }
    // Puts the bar somewhere Verify never puts it, so that its own setting shows.
    void ScrambleBar() const {
        const Window progress = control(IDC_PROGRESS);
        progress.send(PBM_SETRANGE32, 0, 100);
        progress.send(PBM_SETPOS, 42);
    }

    // Waits for the box Verify shows and reads it and the bar while it is up.
    BoxSeen ReadBox() const {
        const Window box = app().waitForDialog(main_, BoxLimit);
        BoxSeen seen;
        seen.text = guitest::messageText(box);
        seen.caption = box.caption();
        seen.icon = guitest::dialogIcon(box);
        seen.ownedByMain = box.owner() == main_;
        for (const guitest::ButtonInfo& button : guitest::pushButtons(box)) {
            seen.buttons.push_back(button.id);
        }
        const Window progress = control(IDC_PROGRESS);
        seen.position = progress.progressPosition();
        seen.range = progress.progressRange();
        seen.calls = simctl::callNames(Calls());
        guitest::pressButton(box, IDOK);
        app().waitForWindowGone(box);
        return seen;
    }
    // Clicks Verify (a posted click) and reads the box.
    BoxSeen Verify() const {
        guitest::pressButton(main_, IDC_VERIFY);
        return ReadBox();
    }
    // The bar goes back to 0 once the box is closed.
    void ExpectBarBackAtZero() const {
        const Window progress = control(IDC_PROGRESS);
        EXPECT_NO_THROW(guitest::waitFor("the progress bar back at 0",
                                         [&] { return progress.progressPosition() == 0; }));
    }
    // The calls from the last open on: Verify's own, after detection's.
    std::vector<std::string> CallsFromLastOpen() const {
        const std::vector<std::string> names = simctl::callNames(Calls());
        std::size_t last = names.size();
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == "PortOpenByLvx") {
                last = i;
            }
        }
        return last == names.size() ? std::vector<std::string>()
                                    : std::vector<std::string>(names.begin() + last, names.end());
    }
};

// The operator's whole run, with a real mouse click: the seven writes and nothing else reach the
// printer, the port is closed before the result shows, and the version fields show in decimal.
TEST_F(VerifyTest, ShowsTheVersionAndTheTwoBytesAfterTheSevenWrites) {
    StartWith(Printer([](auto& p) { p.version("01.10.06").nvm(0x11BA, 0x05).nvm(0x12BA, 0xAB); }));
    guitest::clickCentre(control(IDC_VERIFY));
    const BoxSeen box = ReadBox();

    EXPECT_EQ("NVM version = 1.16.06\r\n11BA = 05\r\n12BA = AB", box.text);
    EXPECT_EQ(Completion, box.caption);
    EXPECT_EQ(guitest::IconKind::Information, box.icon);
    EXPECT_TRUE(box.ownedByMain);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_EQ(5, box.position);
    EXPECT_EQ(std::make_pair(0, 5), box.range);
    ASSERT_FALSE(box.calls.empty());
    EXPECT_EQ("PortCloseByLvx", box.calls.back()) << "the port must be closed before the box";
    ExpectBarBackAtZero();

    EXPECT_EQ(Joined(AllWrites), Captured());
    const std::vector<std::string> verifyCalls = {
        "PortOpenByLvx", "GetDeviceIDByLvx", "SendByLvx",     "SendByLvx", "SendByLvx",
        "ReceiveByLvx",  "SendByLvx",        "ReceiveByLvx",  "SendByLvx", "ReceiveByLvx",
        "SendByLvx",     "SendByLvx",        "PortCloseByLvx"};
    EXPECT_EQ(verifyCalls, CallsFromLastOpen());
    for (const simctl::LogRecord& call : Calls()) {
        if (call.name == "GetDeviceIDByLvx") {
            EXPECT_EQ(1024, call.number("size"));
        }
        if (call.name == "ReceiveByLvx") {
            EXPECT_EQ(50, call.number("count"));
        }
    }
    // Verify leaves the controls as they were: it has no busy state.
    for (const int id : {IDC_PORT_LIST, IDC_UPDATE, IDC_VERIFY, IDCANCEL}) {
        EXPECT_TRUE(control(id).enabled()) << "control " << id;
    }
}

// The keyword may end exactly at the end of a device ID that fills the buffer with no NUL.
TEST_F(VerifyTest, FindsTheKeywordAtTheEndOfAFullDeviceId) {
    StartWith(Printer([](auto& p) { p.deviceId(std::string(1021, 'A') + "ZKL"); }));
    const BoxSeen box = Verify();
    EXPECT_EQ("NVM version = 1.00.05\r\n11BA = 05\r\n12BA = AB", box.text);
    EXPECT_EQ(Joined(AllWrites), Captured());
}

// Without a selected entry nothing is opened and the bar keeps whatever it showed.
TEST_F(VerifyTest, AsksForAPortWithoutOpeningOneOrTouchingTheBar) {
    StartWith(Printer({}));
    const Window portList = control(IDC_PORT_LIST);
    portList.send(CB_SETCURSEL, static_cast<WPARAM>(-1));
    ASSERT_EQ(CB_ERR, portList.comboSelection());
    ScrambleBar();
    const BoxSeen box = Verify();
    EXPECT_EQ(product::SelectPortText, box.text);
    EXPECT_EQ(product::DefaultBoxCaption, box.caption);
    EXPECT_EQ(guitest::IconKind::Error, box.icon);
    EXPECT_TRUE(box.ownedByMain);
    EXPECT_EQ(42, box.position);
    EXPECT_EQ(std::make_pair(0, 100), box.range);
    // Answered only once the handler has returned to the window's message loop.
    main_.send(WM_NULL);
    EXPECT_EQ(42, control(IDC_PROGRESS).progressPosition());
    EXPECT_EQ(std::make_pair(0, 100), control(IDC_PROGRESS).progressRange());
    for (const std::string& call : simctl::callNames(Calls())) {
        EXPECT_NE("PortOpenByLvx", call);
    }
    EXPECT_EQ("", Captured());
}

// After a failed read the port stays open and no ED goes out; the next Verify closes that
// port on its way and runs the whole sequence again from the prefix. Every failure's box is
// the window's, as here (the sequence's failures: tests/diag/VerifySequenceTests.cpp).
TEST_F(VerifyTest, AfterAFailedReadTheNextVerifyStartsAfresh) {
    StartWith(Printer([](auto& p) { p.addressFail(0x12BA, 0x0103); }));
    ScrambleBar();
    const BoxSeen failed = Verify();
    EXPECT_EQ(product::CommError, failed.text);
    EXPECT_EQ(product::DefaultBoxCaption, failed.caption);
    EXPECT_EQ(guitest::IconKind::Error, failed.icon);
    EXPECT_TRUE(failed.ownedByMain);
    EXPECT_EQ(std::vector<int>{IDOK}, failed.buttons);
    EXPECT_EQ(4, failed.position);
    EXPECT_EQ(std::make_pair(0, 5), failed.range);
    ExpectBarBackAtZero();
    const std::vector<std::string> firstWrites = {Prefix, Enter, VersionRead, FirstRead,
                                                  SecondRead};
    EXPECT_EQ(Joined(firstWrites), Captured());
    const std::size_t callsAfterFailure = Calls().size();

    Replay(Printer({}));
    const BoxSeen verified = Verify();
    EXPECT_EQ("NVM version = 1.00.05\r\n11BA = 05\r\n12BA = AB", verified.text);
    EXPECT_EQ(Joined(firstWrites) + Joined(AllWrites), Captured());

    // The first call after the failure closes the port the failed run left open.
    const std::vector<simctl::LogRecord> records =
        simctl::readLog(driver().folder().file("Lorvex.sim.log"));
    bool seenClose = false;
    std::size_t calls = 0;
    for (const simctl::LogRecord& record : records) {
        if (record.kind == simctl::LogRecord::Kind::Call && ++calls == callsAfterFailure + 1) {
            EXPECT_EQ("PortCloseByLvx", record.name);
            seenClose = true;
            continue;
        }
        if (seenClose) {
            EXPECT_EQ(std::string::npos, record.note.find("no port was open"))
                << "the failed run closed its port";
            break;
        }
    }
    EXPECT_TRUE(seenClose);
}

// A library without the close entry point: the whole sequence went out, yet the close fails
// and so does Verify; the bar shows all five steps while the box is up.
TEST_F(VerifyTest, AMissingCloseEntryPointFailsAfterTheWholeSequence) {
    StartWith(Printer({}), "Lorvex_noPortCloseByLvx.dll");
    ScrambleBar();
    const BoxSeen box = Verify();
    EXPECT_EQ(product::CommError, box.text);
    EXPECT_EQ(guitest::IconKind::Error, box.icon);
    EXPECT_EQ(5, box.position);
    EXPECT_EQ(std::make_pair(0, 5), box.range);
    ExpectBarBackAtZero();
    EXPECT_EQ(Joined(AllWrites), Captured());
}
