// The tool's main window, run in the test's own process: the test's body runs on the live
// window while it initialises, then the window ends without ever being shown (closing a shown
// window costs seconds under Wine without a window manager).
#pragma once

#include "ui/MainDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace portstest {

class HarnessDialog : public MainDialog {
public:
    // body runs once the window and its port list exist.
    explicit HarnessDialog(std::function<void(HarnessDialog&)> body);

    // Creates the window, runs the body and ends; false if the window could not be created.
    bool Run();

    // Items of the port list, top to bottom.
    std::vector<std::string> Items() const;

protected:
    BOOL OnInitDialog() override;
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::function<void(HarnessDialog&)> body_;
    bool ran_ = false;
};

} // namespace portstest
