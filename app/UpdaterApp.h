// The application: owns the diagnostic commands and the port library for the whole run.
#pragma once

#include "diag/DiagCommands.h"
#include "fw/Application.h"
#include "portlib/PortLibrary.h"

class UpdaterApp : public fw::Application {
public:
    // Loads the port library, or shows message 103 and ends the process.
    UpdaterApp();
    // Frees the port library first, without closing a port.
    ~UpdaterApp() override;

    // The running application object.
    static UpdaterApp& Running();

    // Sets up the port library once, then runs the main window.
    void StartUp() override;

    // The diagnostic commands.
    DiagCommands& Diag() { return diagCommands_; }
    // The port library binding.
    PortLibrary& Ports() { return portLibrary_; }

private:
    DiagCommands diagCommands_;
    PortLibrary portLibrary_;
};
