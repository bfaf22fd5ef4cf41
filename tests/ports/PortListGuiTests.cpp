// The port list of the real program: the spooler's ports (set in the registry of this Wine
// prefix) and the simulated printers on them, the list a person sees when opening it, the port
// each choice leads to in the library's call log, and the request to pick a port.
#include "AppTest.h"
#include "Product.h"
#include "RegistryPorts.h"
#include "SimControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using guitest::Window;
using simctl::lpt;
using simctl::usb;

namespace {

using Strings = std::vector<std::string>;
using Ports = std::vector<long long>;

constexpr uint16_t CheckFailed = 0x0103;

// The ports that PortOpenByLvx was called with, from call first on.
Ports openedPorts(const std::vector<simctl::LogRecord>& calls, std::size_t first = 0) {
    Ports ports;
    for (std::size_t i = first; i < calls.size(); ++i) {
        if (calls[i].name == "PortOpenByLvx") {
            ports.push_back(calls[i].number("port"));
        }
    }
    return ports;
}

} // namespace

class PortListGuiTest : public AppTest {
protected:
    // The spooler lists ports, the library plays scenario; then the program starts.
    void start(const Strings& ports, const simctl::Scenario& scenario,
               const std::string& data = std::string()) {
        registry_ = std::make_unique<portstest::RegistryPorts>(ports);
        guitest::DriverOptions options;
        options.files = {{simctl::ScenarioFileName, scenario.text()}};
        if (!data.empty()) {
            options.files.emplace_back(simctl::SampleImageName, data);
        }
        startApp(options);
        portList_ = control(IDC_PORT_LIST);
    }

    // Opens the list with a click, as a person does, and closes it without a choice.
    void openAndCloseList() {
        guitest::dropDownByClick(portList_);
        guitest::closeDropDown(portList_);
    }

    // Clicks button and returns the message box that follows.
    Window clickForBox(int button) {
        guitest::clickCentre(control(button));
        return app().waitForDialog(main_);
    }

    // Closes a message box with its OK button and waits until it has gone.
    void dismiss(const Window& box) {
        guitest::pressButton(box, IDOK);
        app().waitForWindowGone(box);
    }

    // Chooses item index, presses Verify, dismisses the box; the ports opened meanwhile.
    Ports portsOpenedByVerifyWith(int index) {
        guitest::selectComboItem(portList_, index);
        const std::size_t before = calls().size();
        const Window box = clickForBox(IDC_VERIFY);
        dismiss(box);
        return openedPorts(calls(), before);
    }

    std::unique_ptr<portstest::RegistryPorts> registry_;
    Window portList_;
};

// The machine of the checks below: LPT1 has a printer that gives no model name and fails the
// device check; the printer on USB001 (1025, also reached as QRUSB1:) gives its model.
simctl::Scenario twoPrinters() {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).modelResult(0x1000, -5).check(CheckFailed).rate(0);
    scenario.printer(usb(1)).model("KT-9200").rate(0);
    return scenario;
}

const Strings TwoPrinterPorts = {"LPT1:", "COM1:", "USB001", "QRUSB1:"};

// Wine's spooler gives COM1:, LPT1:, QRUSB1:, USB001 (sorted); the list shows the candidates the
// other way round, each with its model if the printer gave one, the automatic item last, and
// nothing selected.
TEST_F(PortListGuiTest, OpeningTheListShowsTheCandidatePortsWithTheirModels) {
    start(TwoPrinterPorts, twoPrinters());
    openAndCloseList();
    EXPECT_EQ(portList_.comboItems(),
              (Strings{"USB001 (KT-9200)", "QRUSB1: (KT-9200)", "LPT1:", product::AutoSelection}));
    EXPECT_EQ(portList_.comboSelection(), CB_ERR);
    EXPECT_EQ(openedPorts(calls()), (Ports{lpt(1), usb(1), usb(1)}));
    EXPECT_TRUE(app().running());
}

// Each item leads Verify to its port; the automatic item runs detection first, which passes
// over LPT1 (device check fails) and takes QRUSB1:, that is 1025.
TEST_F(PortListGuiTest, EachChoiceLeadsToItsPort) {
    start(TwoPrinterPorts, twoPrinters());
    openAndCloseList();
    ASSERT_EQ(portList_.comboCount(), 4);
    EXPECT_EQ(portsOpenedByVerifyWith(0), (Ports{usb(1)}));
    EXPECT_EQ(portsOpenedByVerifyWith(1), (Ports{usb(1)}));
    EXPECT_EQ(portsOpenedByVerifyWith(2), (Ports{lpt(1)}));
    EXPECT_EQ(portsOpenedByVerifyWith(3), (Ports{lpt(1), usb(1), usb(1)}));
}

// The operator picks LPT1:, whose printer's model name holds "USB2": Verify and Update use
// LPT1 (1152), not USB002, where another printer waits.
TEST_F(PortListGuiTest, AModelNameHoldingUsbLeavesTheChosenPort) {
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).model("X USB2").rate(0);
    scenario.printer(usb(2)).rate(0);
    const std::string data = simctl::testData(3000);
    start({"LPT1:", "USB002"}, scenario, data);
    openAndCloseList();
    ASSERT_EQ(portList_.comboItems(),
              (Strings{"USB002 (KT-9600)", "LPT1: (X USB2)", product::AutoSelection}));
    EXPECT_EQ(portsOpenedByVerifyWith(1), (Ports{lpt(1)}));
    const std::size_t before = calls().size();
    const Window box = clickForBox(IDC_UPDATE);
    EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
    dismiss(box);
    EXPECT_EQ(openedPorts(calls(), before), (Ports{lpt(1)}));
}

// After the list has been opened nothing is selected: Update and Verify ask for a port, with
// no caption of their own and the error icon, touch no port, and hand the focus to the list.
TEST_F(PortListGuiTest, UpdateAndVerifyWithNothingSelectedAskForAPort) {
    start(TwoPrinterPorts, twoPrinters());
    openAndCloseList();
    ASSERT_EQ(portList_.comboSelection(), CB_ERR);
    const std::size_t before = calls().size();
    for (const int button : {IDC_UPDATE, IDC_VERIFY}) {
        SCOPED_TRACE(button == IDC_UPDATE ? "Update" : "Verify");
        const Window box = clickForBox(button);
        EXPECT_EQ(guitest::messageText(box), product::SelectPortText);
        EXPECT_EQ(box.text(), product::DefaultBoxCaption);
        EXPECT_EQ(guitest::dialogIcon(box), guitest::IconKind::Error);
        EXPECT_EQ(box.owner(), main_);
        EXPECT_EQ(guitest::pushButtons(box).size(), 1u);
        dismiss(box);
        guitest::waitFor("focus on the port list",
                         [&] { return guitest::focusedWindow(main_) == portList_; });
        EXPECT_EQ(control(IDC_PROGRESS).progressPosition(), 0);
    }
    EXPECT_TRUE(openedPorts(calls(), before).empty());
    EXPECT_EQ(portList_.comboSelection(), CB_ERR);
}

// Every opening asks the spooler again: a port added meanwhile shows, and the choice made
// before is gone.
TEST_F(PortListGuiTest, EveryOpeningRebuildsTheListFromTheSpooler) {
    start(TwoPrinterPorts, twoPrinters());
    openAndCloseList();
    guitest::selectComboItem(portList_, 0);
    portstest::RegistryPorts::Set({"LPT2:", "USB001", "FILE:"});
    openAndCloseList();
    EXPECT_EQ(portList_.comboItems(),
              (Strings{"USB001 (KT-9200)", "LPT2:", product::AutoSelection}));
    EXPECT_EQ(portList_.comboSelection(), CB_ERR);
}

// A machine without any USB or LPT port: only the automatic item, and it is not selected. When
// chosen, detection finds nothing (1283) and Verify's open of that fails.
TEST_F(PortListGuiTest, WithoutCandidatePortsOnlyAutoSelectionRemains) {
    start({"COM1:", "COM2:", "FILE:"}, twoPrinters());
    openAndCloseList();
    EXPECT_EQ(portList_.comboItems(), (Strings{product::AutoSelection}));
    EXPECT_EQ(portList_.comboSelection(), CB_ERR);
    guitest::selectComboItem(portList_, 0);
    const Window box = clickForBox(IDC_VERIFY);
    EXPECT_EQ(guitest::messageText(box), product::CommError);
    dismiss(box);
    EXPECT_EQ(openedPorts(calls()), (Ports{NoPrinterFound}));
}

// With no port at all Wine's spooler cannot even size its list: the list stays as it was, the
// automatic item still selected, and detection gives 0, which Verify then tries to open.
TEST_F(PortListGuiTest, AnUnreadableSpoolerListLeavesTheListAsItWas) {
    start({}, twoPrinters());
    openAndCloseList();
    EXPECT_EQ(portList_.comboItems(), (Strings{product::AutoSelection}));
    EXPECT_EQ(portList_.comboSelection(), 0);
    const Window box = clickForBox(IDC_VERIFY);
    EXPECT_EQ(guitest::messageText(box), product::CommError);
    dismiss(box);
    EXPECT_EQ(openedPorts(calls()), (Ports{0}));
}

// Under a Japanese system code page the spooler hands over "LPT2:" followed by katakana ZA,
// whose second byte is 'U', and "SB9": the name is an LPT2 name, not USB9 (1033). Wine takes the
// code page from the locale of the first process, so this runs once more under a Japanese locale
// (ports_gui_tests_cp932), which asks for it with PORTS_TESTS_REQUIRE_ACP=932.
TEST_F(PortListGuiTest, UnderCodePage932ANameMapsByWholeCharacters) {
    if (::GetACP() != 932) {
        const char* required = std::getenv("PORTS_TESTS_REQUIRE_ACP");
        if (required != nullptr && std::string(required) == "932") {
            FAIL() << "the locale did not give code page 932 but " << ::GetACP();
        }
        GTEST_SKIP() << "system code page is " << ::GetACP() << ", not 932";
    }
    simctl::Scenario scenario;
    scenario.printer(lpt(2)).model("KT-9600").rate(0);
    scenario.printer(usb(9)).model("WRONG").rate(0);
    start({"LPT2:\xE3\x82\xB6SB9"}, scenario);
    openAndCloseList();
    EXPECT_EQ(portList_.comboItems(), (Strings{"LPT2:\x83USB9 (KT-9600)", product::AutoSelection}));
    EXPECT_EQ(openedPorts(calls()), (Ports{lpt(2)}));
    guitest::selectComboItem(portList_, 0);
    const Window box = clickForBox(IDC_VERIFY);
    dismiss(box);
    EXPECT_EQ(openedPorts(calls()), (Ports{lpt(2), lpt(2)}));
}
