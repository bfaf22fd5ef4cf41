#include "AppTest.h"

#include "Program.h"

#include "res/resource.h"

#include <cctype>
#include <utility>
#include <stdexcept>

// Parameterised names carry '/', which a folder name cannot.
std::string AppTest::testLabel() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string label = info != nullptr ? info->name() : "test";
    for (char& c : label) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            c = '_';
        }
    }
    return label.substr(0, 60);
}

// Variables set in the caller's shell must not send the simulator elsewhere.
guitest::Driver& AppTest::prepare(guitest::DriverOptions options) {
    driver_ = std::make_unique<guitest::Driver>(testLabel(), std::move(options));
    simFiles_ = simctl::SimFiles::in(driver_->folder().path());
    driver_->setEnvironment("LORVEX_SIM_SCENARIO", simFiles_.scenario);
    driver_->setEnvironment("LORVEX_SIM_LOG", simFiles_.log);
    driver_->setEnvironment("LORVEX_SIM_CAPTURE", simFiles_.capture);
    driver_->setEnvironment("LORVEX_SIM_STATE", simFiles_.state);
    return *driver_;
}

// Separate from prepare() so a test can add files or variables in between.
guitest::AppProcess& AppTest::launchPrepared() {
    return driver().start();
}

// The usual case: nothing to add.
guitest::AppProcess& AppTest::launch(guitest::DriverOptions options) {
    prepare(std::move(options));
    return launchPrepared();
}

void AppTest::startApp(guitest::DriverOptions options) {
    launch(std::move(options));
    main_ = guitest::waitForMainWindow(app());
}

// A test that uses the program before preparing it has a bug of its own.
guitest::Driver& AppTest::driver() const {
    if (!driver_) {
        throw std::runtime_error("the test has not prepared the program");
    }
    return *driver_;
}

// Throws rather than returning an empty Window, so a missing control reads clearly.
guitest::Window AppTest::control(int id) const {
    const guitest::Window found = main_.child(id);
    if (!found) {
        throw std::runtime_error("main window has no control " + std::to_string(id));
    }
    return found;
}

guitest::Window AppTest::waitForAbout() const {
    return guitest::waitForAboutBox(app());
}

// Rate 0: the printer takes every byte at once.
simctl::Scenario AppTest::instantPrinter() {
    simctl::Scenario scenario;
    scenario.printer(simctl::lpt(1)).rate(0);
    return scenario;
}

// The library is copied under the name the program loads.
guitest::Driver& AppTest::prepare(const Setup& setup, guitest::DriverOptions options) {
    options.companions.clear();
    options.files.emplace_back(simctl::ScenarioFileName, setup.scenario.text());
    if (setup.data) {
        options.files.emplace_back(simctl::SampleImageName, *setup.data);
    }
    guitest::Driver& prepared = prepare(std::move(options));
    if (!setup.library.empty()) {
        prepared.folder().copyIn(guitest::Driver::binaryFolder() + "\\" + setup.library,
                                 "Lorvex.dll");
    }
    return prepared;
}

void AppTest::start(const Setup& setup) {
    prepare(setup);
    launchPrepared();
    main_ = guitest::waitForMainWindow(app());
}

// Read afresh each time.
std::vector<simctl::LogRecord> AppTest::calls() const {
    return simctl::callsOf(simctl::readLog(simFiles_.log));
}

// Counted from the log.
std::size_t AppTest::sendCount() const {
    std::size_t count = 0;
    for (const simctl::LogRecord& call : calls()) {
        count += call.name == "SendByLvx" ? 1 : 0;
    }
    return count;
}

// Read afresh each time.
std::string AppTest::capture() const {
    return simctl::readFile(simFiles_.capture);
}

// Posted, so the test goes on while the program works.
void AppTest::clickUpdate() const {
    control(IDC_UPDATE).clickByMessage();
}

// Any dialog of the program but the main window.
guitest::Window AppTest::waitForBox(guitest::Millis limit) const {
    return app().waitForDialog(main_, limit);
}

// Posted like a click; hidden counts as gone.
void AppTest::press(const guitest::Window& box, int buttonId) const {
    guitest::pressButton(box, buttonId);
    app().waitForWindowGone(box);
}

bool AppTest::allEnabled(bool enabled) const {
    return guitest::busyControlsEnabled(main_, enabled);
}

void AppTest::waitUntilIdle() const {
    guitest::waitUntilIdle(main_);
}

// The log grows as the printer is offered data.
void AppTest::waitForSends(std::size_t count, guitest::Millis limit) const {
    guitest::waitFor(
        std::to_string(count) + " sends", [&] { return sendCount() >= count; }, limit);
}

// The last call after the last open.
bool AppTest::portClosedAtTheEnd() const {
    std::string last;
    for (const simctl::LogRecord& call : calls()) {
        last = call.name == "PortOpenByLvx" ? std::string() : call.name;
    }
    return last == "PortCloseByLvx";
}
