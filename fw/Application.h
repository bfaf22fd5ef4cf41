// The application object: one per process, reached from everywhere through Current().
#pragma once

#include <windows.h>

#include <atomic>

namespace fw {

class Dialog;
class TraceSink;

class Application {
public:
    // name begins every failure trace of the process. Restricts the library search of the
    // process first (RestrictLibrarySearch): a derived object's members may load libraries.
    explicit Application(const char* name);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object of the process; null before it is built and after it is gone.
    static Application* Current();

    // The program's whole run, called once by the entry point; the application ends with it.
    virtual void StartUp() = 0;

    // The program's name, as the traces give it.
    const char* Name() const { return name_; }

    // Makes dialog the main window, the owner of dialogs run without a parent.
    void SetMainWindow(Dialog* dialog) { mainWindow_ = dialog; }
    // The main window, or null.
    Dialog* MainWindow() const { return mainWindow_; }

    // Hands every later trace line to sink as well, from any thread; null stops that. The sink
    // must outlive its use here.
    void SetTraceSink(TraceSink* sink) { traces_.store(sink); }
    // The trace sink, or null.
    TraceSink* Traces() const { return traces_.load(); }

    // Turns on the look of the common controls; false when the platform refuses.
    static bool EnableControlLook();

private:
    const char* name_;
    Dialog* mainWindow_ = nullptr;
    std::atomic<TraceSink*> traces_{nullptr};
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
