#include "app/UpdaterApp.h"

#include "cli/CommandLineRun.h"
#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "res/resource.h"
#include "ui/MainDialog.h"

#include <cstdlib>

namespace {

// Port time-outs, set once before any port is opened.
constexpr PortTimeOuts StartTimeOuts = {0xFFFFFFFF, 0xFFFFFFFF, 2000, 0xFFFFFFFF, 2000};
// Receive type, set once with the time-outs.
constexpr uint32_t StartReceiveType = 3;

// The name that begins every failure trace.
constexpr char ProgramName[] = "Corvane";

} // namespace

UpdaterApp::UpdaterApp() : UpdaterApp(nullptr) {}

// Members are built in order: the port library last. Without it the window's application shows
// message 103 (no owner: no window exists yet) and ends the process at once; its clean-up has
// not been registered yet, so it never runs.
UpdaterApp::UpdaterApp(const wchar_t* commandLine)
    : fw::Application(ProgramName), commandLine_(cli::CommandLineRun::For(commandLine)),
      portLibrary_(lvx::LibraryFileName) {
    if (!portLibrary_.IsLoaded() && !commandLine_) {
        const std::string text = fw::LoadResString(IDS_NO_LIBRARY);
        ::MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        std::exit(0);
    }
}

// Members go in reverse order: the port library first.
UpdaterApp::~UpdaterApp() = default;

// The framework's current application is always an UpdaterApp in this program.
UpdaterApp& UpdaterApp::Running() {
    return static_cast<UpdaterApp&>(*fw::Application::Current());
}

// The results of the set-up calls do not matter: a missing entry point must not stop the
// tool from starting.
void UpdaterApp::SetUpPorts() {
    const PortResult timeOuts = portLibrary_.SetPortTimeOut(StartTimeOuts);
    if (timeOuts != PortOk) {
        fw::FailureTrace(op::StartUp, lvx::SetPortTimeOutName).PortResult(timeOuts);
    }
    const PortResult receiveType = portLibrary_.SetReceiveType(StartReceiveType);
    if (receiveType != PortOk) {
        fw::FailureTrace(op::StartUp, lvx::SetReceiveTypeName).PortResult(receiveType);
    }
}

void UpdaterApp::StartUp() {
    if (commandLine_) {
        exitStatus_ = commandLine_->Run(*this);
        return;
    }
    if (!EnableControlLook()) {
        fw::FailureTrace(op::StartUp, "InitCommonControlsEx");
    }
    SetUpPorts();
    MainDialog dialog(nullptr);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
}
