// An unattended run: the operation that the command line asks for, run on the feature functions
// the window uses, with every text the window would have shown in a box printed instead, and
// the exit status that tells a caller the outcome.
#pragma once

#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "fw/UniqueHandle.h"
#include "portlib/PortTypes.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

class UpdaterApp;

namespace cli {

class StopWindow;

class CommandLineRun {
public:
    // The run that commandLine asks for; null when it asks for the window (no argument).
    static std::unique_ptr<CommandLineRun> For(const wchar_t* commandLine);

    explicit CommandLineRun(Request request);
    ~CommandLineRun();
    CommandLineRun(const CommandLineRun&) = delete;
    CommandLineRun& operator=(const CommandLineRun&) = delete;

    // The whole run, on the application's port library; the exit status.
    int Run(UpdaterApp& app);

    // The console's Ctrl+C, Ctrl+Break, close, log-off and shutdown, on the thread the system
    // starts for them: a transfer stops as the window's stop does. Always handled: a close
    // returns only once the run has ended, since the system ends the process when it returns.
    void OnConsoleControl(DWORD event);

private:
    // With the port lock had, the ports set up and the operation run; else the lock's message.
    int Locked(UpdaterApp& app);
    int Update(UpdaterApp& app);
    int Verify(UpdaterApp& app);
    int List(UpdaterApp& app);
    // The port the request names, or auto selection's; 0 and the status to end with when the
    // name is no printer port of this machine.
    PortId ChoosePort(UpdaterApp& app, int& status);
    // Prints string id and gives it back as the status.
    int Tell(UINT id);

    Request request_;
    Output output_;
    // Set once a stop was asked for; a transfer not yet started then does not start.
    std::atomic<bool> stopRequested_{false};
    // The hidden window of a transfer under way, which takes the stop to the waiting thread.
    std::atomic<StopWindow*> stopWindow_{nullptr};
    // Signalled when the run has ended.
    fw::UniqueHandle ended_;
};

} // namespace cli
