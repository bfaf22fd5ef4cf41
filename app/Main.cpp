// The entry point and the one application object of the process.
#include "app/UpdaterApp.h"

#include <windows.h>

// Built by static initialisation, before WinMain: the port library is loaded (or the
// process ended) before any window exists.
UpdaterApp theApp(::GetCommandLineW());

// The window's run ends with 0; an unattended run with the status of its outcome.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UpdaterApp& app = UpdaterApp::Running();
    app.StartUp();
    return app.ExitStatus();
}
