// The tool's own windows as a driver meets them: its main window and about box found by their
// captions, and the busy state of its controls.
#pragma once

#include "AppProcess.h"
#include "Wait.h"
#include "Window.h"

namespace guitest {

// Waits for the program's main window; throws WaitTimeout.
Window waitForMainWindow(const AppProcess& program, Millis limit = DefaultTimeout);
// Waits for the about box; throws WaitTimeout.
Window waitForAboutBox(const AppProcess& program, Millis limit = DefaultTimeout);
// True when the port list and the three buttons of the main window all have that state; throws
// std::runtime_error when one is missing.
bool busyControlsEnabled(const Window& main, bool enabled);
// Waits until the main window has left its busy state; throws WaitTimeout.
void waitUntilIdle(const Window& main, Millis limit = DefaultTimeout);

} // namespace guitest
