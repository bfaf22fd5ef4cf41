// The program under test as a running process: started in its folder, found by its windows,
// killed if a test leaves it running.
#pragma once

#include "fw/UniqueHandle.h"
#include "Wait.h"
#include "Window.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace guitest {

// Extra environment variables: each pair replaces or adds one inherited variable.
using Environment = std::vector<std::pair<std::string, std::string>>;

// How the process starts, beyond its program, folder and environment.
struct Launch {
    // Command-line arguments after the program's quoted path.
    std::wstring arguments;
    // Inherited as standard output and standard error when not null; standard input is none.
    HANDLE standardOutput = nullptr;
};

class AppProcess {
public:
    // Starts exePath with workingDir as current folder and the inherited environment plus extra.
    AppProcess(const std::string& exePath, const std::string& workingDir,
               const Environment& extra = {}, const std::string& arguments = {});
    // The same for paths in UTF-16, which need not fit the ANSI code page.
    AppProcess(const std::wstring& exePath, const std::wstring& workingDir,
               const Environment& extra = {}, const std::string& arguments = {});
    // The same with the arguments and standard output that launch gives.
    AppProcess(const std::wstring& exePath, const std::wstring& workingDir,
               const Environment& extra, const Launch& launch);
    // Kills the process if it still runs, and waits for it to go.
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Process id.
    DWORD id() const { return processId_; }
    // Id of the first thread, the one that runs the message loop.
    DWORD mainThreadId() const { return threadId_; }
    // True until the process has ended.
    bool running() const;
    // Exit code once ended, nothing while it runs.
    std::optional<DWORD> exitCode() const;
    // Waits for the process to end and returns its exit code; throws WaitTimeout.
    DWORD waitForExit(Millis limit = DefaultTimeout) const;
    // Ends the process at once (exit code 0xDEAD) and waits for it.
    void kill();

    // The process's top-level windows, visible or not, in Z order.
    std::vector<Window> topLevelWindows() const;
    // Visible top-level windows of a class, and with the caption unless it is null.
    std::vector<Window> visibleWindows(const std::string& className,
                                       const char* caption = nullptr) const;
    // Waits for one visible top-level window of that class and caption; throws WaitTimeout.
    Window waitForWindow(const std::string& className, const std::string& caption,
                         Millis limit = DefaultTimeout) const;
    // Waits for a visible dialog-class window (dialog or message box) other than except.
    Window waitForDialog(Window except = Window(), Millis limit = DefaultTimeout) const;
    // Waits until that window is destroyed or hidden; throws WaitTimeout.
    void waitForWindowGone(const Window& window, Millis limit = DefaultTimeout) const;

private:
    // Has a coverage build write its counts before it is killed.
    void requestCoverageDump() const;

    fw::UniqueHandle process_;
    fw::UniqueHandle thread_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

} // namespace guitest
