// Controls of the main window's kinds in a hidden window of the test's own, for the feature
// functions to work on without the dialog around them: the port list as the window starts it
// (only "Auto selection", selected) and a progress bar.
#pragma once

#include "fw/ComboBox.h"
#include "fw/ProgressBar.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

class ControlHost {
public:
    // The hidden parent and its two controls, on the calling thread.
    ControlHost();
    // Destroys the parent, and its controls with it.
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    fw::ComboBox& PortList() { return portList_; }
    fw::ProgressBar& Progress() { return progress_; }
    // The port list's items, top to bottom.
    std::vector<std::string> Items() const;

private:
    // A child of the parent; throws when it cannot be made.
    HWND Child(const char* className, DWORD style);

    HWND parent_ = nullptr;
    fw::ComboBox portList_;
    fw::ProgressBar progress_;
};

} // namespace testsupport
