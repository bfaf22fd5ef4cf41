#include "fw/Application.h"

#include <commctrl.h>

namespace fw {

namespace {
// The one application object; set while it lives.
Application* current = nullptr;
} // namespace

// Registers the object as the process's application.
Application::Application(const char* name) : name_(name) {
    current = this;
}

// Forgets the object.
Application::~Application() {
    if (current == this) {
        current = nullptr;
    }
}

// The registered application object.
Application* Application::Current() {
    return current;
}

// Registers the common control classes the dialogs use.
bool Application::EnableControlLook() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    return ::InitCommonControlsEx(&controls) != FALSE;
}

// Switches to the hourglass, remembering the cursor it replaces.
WaitCursor::WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}

// Puts the previous cursor back.
WaitCursor::~WaitCursor() {
    ::SetCursor(previous_);
}

} // namespace fw
