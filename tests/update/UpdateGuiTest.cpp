#include "UpdateGuiTest.h"

#include "res/resource.h"

#include <cctype>

namespace {

constexpr char MainCaption[] = "Corvane (NVM Ver.1.01.06)";
constexpr char DialogClass[] = "#32770";
constexpr char DataFileName[] = "NV(01_01_06)_update.dcc";
constexpr int BusyControls[] = {IDC_PORT_LIST, IDC_UPDATE, IDC_VERIFY, IDCANCEL};

// The test's name, safe as part of a folder name.
std::string TestLabel() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string label = info != nullptr ? info->name() : "update";
    for (char& c : label) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            c = '_';
        }
    }
    return "update_" + label.substr(0, 50);
}

} // namespace

// Rate 0: the printer takes every byte at once.
simctl::Scenario UpdateGuiTest::InstantPrinter() {
    simctl::Scenario scenario;
    scenario.printer(simctl::lpt(1)).rate(0);
    return scenario;
}

// The library is copied under the name the program loads.
void UpdateGuiTest::Start(const Setup& setup) {
    guitest::DriverOptions options;
    options.companions.clear();
    options.files.emplace_back(simctl::ScenarioFileName, setup.scenario.text());
    if (setup.data) {
        options.files.emplace_back(DataFileName, *setup.data);
    }
    driver_ = std::make_unique<guitest::Driver>(TestLabel(), std::move(options));
    driver_->folder().copyIn(guitest::Driver::binaryFolder() + "\\" + setup.library, "Lorvex.dll");
    driver_->start();
    main_ = App().waitForWindow(DialogClass, MainCaption);
}

// Throws rather than handing back an empty window.
guitest::Window UpdateGuiTest::Control(int id) const {
    const guitest::Window control = main_.child(id);
    if (!control) {
        throw std::runtime_error("the main window has no control " + std::to_string(id));
    }
    return control;
}

// Read afresh each time.
std::vector<simctl::LogRecord> UpdateGuiTest::Calls() const {
    return simctl::callsOf(simctl::readLog(File(simctl::LogFileName)));
}

// Counted from the log.
std::size_t UpdateGuiTest::SendCount() const {
    std::size_t count = 0;
    for (const simctl::LogRecord& call : Calls()) {
        count += call.name == "SendByLvx" ? 1 : 0;
    }
    return count;
}

// Read afresh each time.
std::string UpdateGuiTest::Capture() const {
    return simctl::readFile(File(simctl::CaptureFileName));
}

// Posted, so the test goes on while the program works.
void UpdateGuiTest::ClickUpdate() const {
    Control(IDC_UPDATE).clickByMessage();
}

// Any dialog of the program but the main window.
guitest::Window UpdateGuiTest::WaitForBox(guitest::Millis limit) const {
    return App().waitForDialog(main_, limit);
}

// Posted like a click; hidden counts as gone.
void UpdateGuiTest::Press(const guitest::Window& box, int buttonId) const {
    guitest::pressButton(box, buttonId);
    App().waitForWindowGone(box);
}

// All four must agree.
bool UpdateGuiTest::AllEnabled(bool enabled) const {
    for (const int id : BusyControls) {
        if (Control(id).enabled() != enabled) {
            return false;
        }
    }
    return true;
}

// The state is left right after the box goes.
void UpdateGuiTest::WaitUntilIdle() const {
    guitest::waitFor("the busy state to end", [&] { return AllEnabled(true); });
}

// The log grows as the printer is offered data.
void UpdateGuiTest::WaitForSends(std::size_t count, guitest::Millis limit) const {
    guitest::waitFor(
        std::to_string(count) + " sends", [&] { return SendCount() >= count; }, limit);
}

// The last call after the last open.
bool UpdateGuiTest::PortClosedAtTheEnd() const {
    std::string last;
    for (const simctl::LogRecord& call : Calls()) {
        last = call.name == "PortOpenByLvx" ? std::string() : call.name;
    }
    return last == "PortCloseByLvx";
}
