// The application object: one per process, reached from everywhere through Current().
#pragma once

#include <windows.h>

namespace fw {

class Dialog;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object of the process; null before it is built and after it is gone.
    static Application* Current();

    // Called once by Run after the framework's own set-up; true asks for a message loop.
    virtual bool StartUp() { return true; }

    // The entry point's whole work: set-up, StartUp, and a message loop if asked for.
    int Run(HINSTANCE instance);

    // The program's module, for its resources.
    HINSTANCE Instance() const { return instance_; }

    // Makes dialog the main window, the owner of dialogs run without a parent.
    void SetMainWindow(Dialog* dialog) { mainWindow_ = dialog; }
    // The main window, or null.
    Dialog* MainWindow() const { return mainWindow_; }

    // Turns on the look of the common controls; false when the platform refuses.
    static bool EnableControlLook();

private:
    HINSTANCE instance_ = nullptr;
    Dialog* mainWindow_ = nullptr;
};

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

} // namespace fw
