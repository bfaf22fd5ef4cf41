// The application: owns the diagnostic commands and the port library for the whole run, and the
// unattended run when the command line asks for one.
#pragma once

#include "diag/DiagCommands.h"
#include "fw/Application.h"
#include "portlib/PortLibrary.h"

#include <memory>

namespace cli {
class CommandLineRun;
}

class UpdaterApp : public fw::Application {
public:
    // The window's application: loads the port library, or shows message 103 and ends the
    // process.
    UpdaterApp();
    // The program's own: with an operation on commandLine nothing is shown, and a missing
    // library is the unattended run's to report.
    explicit UpdaterApp(const wchar_t* commandLine);
    // Frees the port library first, without closing a port.
    ~UpdaterApp() override;

    // The running application object.
    static UpdaterApp& Running();

    // Runs the main window, or the operation of the command line.
    void StartUp() override;
    // The process's exit status once StartUp has returned: 0 for the window.
    int ExitStatus() const { return exitStatus_; }
    // Sets the port time-outs and the receive type, once, before any port is opened.
    void SetUpPorts();

    // The diagnostic commands.
    DiagCommands& Diag() { return diagCommands_; }
    // The port library binding.
    PortLibrary& Ports() { return portLibrary_; }
    // The unattended run; null when the program is its window.
    cli::CommandLineRun* CommandLine() const { return commandLine_.get(); }

private:
    // Built first: whether a missing library may show its box depends on it.
    std::unique_ptr<cli::CommandLineRun> commandLine_;
    DiagCommands diagCommands_;
    PortLibrary portLibrary_;
    int exitStatus_ = 0;
};
