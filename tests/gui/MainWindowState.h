// Everything a user can see of the main window at one moment, to compare before and after.
#pragma once

#include "Window.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

// One control of the main window.
struct ControlState {
    int id = 0;
    std::string className;
    std::string text;
    DWORD style = 0;
    bool enabled = false;
    bool visible = false;

    // Field-wise equality.
    bool operator==(const ControlState& other) const;
};

struct MainWindowState {
    std::string caption;
    bool enabled = false;
    bool visible = false;
    std::vector<ControlState> controls;
    std::vector<std::string> portItems;
    int portSelection = -1;
    int progressPosition = -1;
    std::pair<int, int> progressRange;

    // Reads the state of the main window now.
    static MainWindowState capture(const guitest::Window& main);
    // Field-wise equality.
    bool operator==(const MainWindowState& other) const;
};

// Lets gtest print a state when two differ.
std::ostream& operator<<(std::ostream& out, const MainWindowState& state);
