// Fixture for tests of the real program in a prepared folder: a driver per test, the simulated
// library's files kept in the test's folder, the main window found, and what the simulated
// printer saw.
#pragma once

#include "Driver.h"
#include "tests/support/SimControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class AppTest : public ::testing::Test {
protected:
    // Folder label from the test's name, safe as a file name.
    static std::string testLabel();

    // Makes the folder and fills it, pointing the simulator's files into it; does not start.
    guitest::Driver& prepare(guitest::DriverOptions options = {});
    // Starts the prepared program without waiting for any window.
    guitest::AppProcess& launchPrepared();
    // prepare() and launchPrepared().
    guitest::AppProcess& launch(guitest::DriverOptions options = {});
    // launch() and wait for the main window.
    void startApp(guitest::DriverOptions options = {});
    // The driver of this test; throws before prepare().
    guitest::Driver& driver() const;
    // The running program; throws before launch.
    guitest::AppProcess& app() const { return driver().process(); }
    // The simulator's scenario, log, capture and state files in the test's folder.
    const simctl::SimFiles& simFiles() const { return simFiles_; }
    // A control of the main window; fails the test if it is missing.
    guitest::Window control(int id) const;
    // Waits for the about box to open over the main window and returns it.
    guitest::Window waitForAbout() const;

    // What goes into the program's folder for start().
    struct Setup {
        simctl::Scenario scenario;
        // The data file's contents; none leaves the file out.
        std::optional<std::string> data;
        // The built library that becomes Lorvex.dll; empty leaves the library out.
        std::string library = "Lorvex.dll";
    };
    // Makes the folder and fills it as setup says, on top of options; does not start.
    guitest::Driver& prepare(const Setup& setup, guitest::DriverOptions options = {});
    // A scenario with one printer on LPT1 (which "Auto selection" finds) and no delays.
    static simctl::Scenario instantPrinter();
    // Fills the folder as setup says, starts the program and waits for its main window.
    void start(const Setup& setup);
    // Full path of a file in the program's folder.
    std::string file(const std::string& name) const { return driver().folder().file(name); }
    // The library calls logged so far.
    std::vector<simctl::LogRecord> calls() const;
    // Number of SendByLvx calls logged so far.
    std::size_t sendCount() const;
    // What the printer took.
    std::string capture() const;
    // Posts a click to Update.
    void clickUpdate() const;
    // Waits for a box over the main window, for at most limit.
    guitest::Window waitForBox(guitest::Millis limit = guitest::DefaultTimeout) const;
    // Presses a button of a box and waits until the box has gone.
    void press(const guitest::Window& box, int buttonId) const;
    // True when the port list and the three buttons all have that state.
    bool allEnabled(bool enabled) const;
    // Waits until the busy state has been left.
    void waitUntilIdle() const;
    // Waits until the printer has been offered at least count sends.
    void waitForSends(std::size_t count, guitest::Millis limit = guitest::DefaultTimeout) const;
    // True when the port was closed after the last open.
    bool portClosedAtTheEnd() const;

    guitest::Window main_;

private:
    std::unique_ptr<guitest::Driver> driver_;
    simctl::SimFiles simFiles_;
};
