// Fixture for tests of the running program: a driver per test, the simulated library's files
// kept in the test's folder, the main window found.
#pragma once

#include "Driver.h"
#include "tests/support/SimControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

    guitest::Window main_;

private:
    std::unique_ptr<guitest::Driver> driver_;
    simctl::SimFiles simFiles_;
};
