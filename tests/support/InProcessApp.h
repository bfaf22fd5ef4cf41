// The tool's start-up and main window, run in the test's own process on a thread of their own
// as WinMain would run them, so a test can use the seams inside the tool and still drive the
// window from outside its thread.
#pragma once

#include "Window.h"

#include "app/UpdaterApp.h"

#include <windows.h>

#include <memory>

class InProcessApp {
public:
    // Builds the application (which loads the simulated library), runs it on a new thread and
    // waits for the main window.
    InProcessApp();
    // Ends the window if it is still there and waits for the thread; a thread that will not
    // end fails the test and ends the process, so no test hangs.
    ~InProcessApp();
    InProcessApp(const InProcessApp&) = delete;
    InProcessApp& operator=(const InProcessApp&) = delete;

    // The main window.
    const guitest::Window& Main() const { return main_; }
    // A control of the main window.
    guitest::Window Control(int id) const { return main_.child(id); }
    // Waits for a message box or dialog over the main window.
    guitest::Window WaitForBox() const;
    // Presses a button of a box and waits until the box has gone.
    void Press(const guitest::Window& box, int buttonId) const;

private:
    // The thread: the application's run, as WinMain does it.
    static DWORD WINAPI ThreadMain(void* self);

    std::unique_ptr<UpdaterApp> app_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    guitest::Window main_;
};
