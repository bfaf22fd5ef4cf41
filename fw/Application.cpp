#include "fw/Application.h"

#include "fw/Module.h"

#include <commctrl.h>

namespace fw {

namespace {
// The one application object; set while it lives.
Application* current = nullptr;
} // namespace

// Registers the object as the process's application. The object is built by static
// initialisation, before anything of the program loads a library: the search is closed to the
// program's folder from the start (the traces need current set).
Application::Application(const char* name) : name_(name) {
    current = this;
    RestrictLibrarySearch();
}

Application::~Application() {
    if (current == this) {
        current = nullptr;
    }
}

Application* Application::Current() {
    return current;
}

// Registers the common control classes the dialogs use.
bool Application::EnableControlLook() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    return ::InitCommonControlsEx(&controls) != FALSE;
}

WaitCursor::WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() {
    ::SetCursor(previous_);
}

} // namespace fw
