#include "AppTest.h"

#include "Product.h"

#include <cctype>
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

// The main window is found by caption and class among the process's windows.
void AppTest::startApp(guitest::DriverOptions options) {
    launch(std::move(options));
    main_ = app().waitForWindow(product::DialogClass, product::MainCaption);
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

// By caption: any other dialog appearing instead is a failure.
guitest::Window AppTest::waitForAbout() const {
    return app().waitForWindow(product::DialogClass, product::AboutCaption);
}
