// Fixture of the Update tests on the real program: its folder with a scenario, a data file and
// a chosen library, the started program, and what the simulated printer saw.
#pragma once

#include "Driver.h"
#include "SimControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UpdateGuiTest : public ::testing::Test {
protected:
    // What goes into the program's folder.
    struct Setup {
        simctl::Scenario scenario;
        // The data file's contents; none leaves the file out.
        std::optional<std::string> data;
        // The built library that becomes Lorvex.dll.
        std::string library = "Lorvex.dll";
    };

    // A scenario with one printer on LPT1 (which "Auto selection" finds) and no delays.
    static simctl::Scenario InstantPrinter();
    // Fills the folder, starts the program and waits for its main window.
    void Start(const Setup& setup);
    // The running program.
    guitest::AppProcess& App() const { return driver_->process(); }
    // A control of the main window.
    guitest::Window Control(int id) const;
    // Full path of a file in the program's folder.
    std::string File(const std::string& name) const { return driver_->folder().file(name); }
    // The library calls logged so far.
    std::vector<simctl::LogRecord> Calls() const;
    // Number of SendByLvx calls logged so far.
    std::size_t SendCount() const;
    // What the printer took.
    std::string Capture() const;
    // Posts a click to Update.
    void ClickUpdate() const;
    // Waits for a box over the main window, for at most limit.
    guitest::Window WaitForBox(guitest::Millis limit = guitest::DefaultTimeout) const;
    // Presses a button of a box and waits until the box has gone.
    void Press(const guitest::Window& box, int buttonId) const;
    // True when the port list and the three buttons all have that state.
    bool AllEnabled(bool enabled) const;
    // Waits until the busy state has been left.
    void WaitUntilIdle() const;
    // Waits until the printer has been offered at least count sends.
    void WaitForSends(std::size_t count, guitest::Millis limit = guitest::DefaultTimeout) const;
    // True when the port was closed after the last open.
    bool PortClosedAtTheEnd() const;

    guitest::Window main_;
    std::unique_ptr<guitest::Driver> driver_;
};
