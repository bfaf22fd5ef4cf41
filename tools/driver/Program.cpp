#include "Program.h"

#include "Product.h"

#include <stdexcept>
#include <string>

namespace guitest {

// By caption and class among the process's windows: any other dialog instead is not it.
Window waitForMainWindow(const AppProcess& program, Millis limit) {
    return program.waitForWindow(product::DialogClass, product::MainCaption, limit);
}

Window waitForAboutBox(const AppProcess& program, Millis limit) {
    return program.waitForWindow(product::DialogClass, product::AboutCaption, limit);
}

// All four must agree; a missing control is a fault of its own, not a state.
bool busyControlsEnabled(const Window& main, bool enabled) {
    for (const int id : product::BusyControls) {
        const Window control = main.child(id);
        if (!control) {
            throw std::runtime_error("main window has no control " + std::to_string(id));
        }
        if (control.enabled() != enabled) {
            return false;
        }
    }
    return true;
}

// The state is left right after the box goes.
void waitUntilIdle(const Window& main, Millis limit) {
    waitFor(
        "the busy state to end", [&] { return busyControlsEnabled(main, true); }, limit);
}

} // namespace guitest
