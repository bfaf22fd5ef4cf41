// The entry point and the one application object of the process.
#include "app/UpdaterApp.h"

#include <windows.h>

// Built by static initialisation, before WinMain: the port library is loaded (or the
// process ended) before any window exists.
UpdaterApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UpdaterApp::Running().StartUp();
    return 0;
}
