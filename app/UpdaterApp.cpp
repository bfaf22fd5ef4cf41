#include "app/UpdaterApp.h"

#include "fw/Operations.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "ui/MainDialog.h"

namespace {

// Port time-outs, set once before any port is opened.
constexpr PortTimeOuts StartTimeOuts = {0xFFFFFFFF, 0xFFFFFFFF, 2000, 0xFFFFFFFF, 2000};
// Receive type, set once with the time-outs.
constexpr uint32_t StartReceiveType = 3;

// The name that begins every failure trace.
constexpr char ProgramName[] = "Corvane";

} // namespace

// Members are built in order: the port library last, and it may end the process.
UpdaterApp::UpdaterApp() : fw::Application(ProgramName) {}

// Members go in reverse order: the port library first.
UpdaterApp::~UpdaterApp() = default;

// The framework's current application is always an UpdaterApp in this program.
UpdaterApp& UpdaterApp::Running() {
    return static_cast<UpdaterApp&>(*fw::Application::Current());
}

// The results of the set-up calls do not matter: a missing entry point must not stop the
// tool from starting.
void UpdaterApp::StartUp() {
    if (!EnableControlLook()) {
        fw::FailureTrace(op::StartUp, "InitCommonControlsEx");
    }
    const PortResult timeOuts = portLibrary_.SetPortTimeOut(StartTimeOuts);
    if (timeOuts != PortOk) {
        fw::FailureTrace(op::StartUp, lvx::SetPortTimeOutName).PortResult(timeOuts);
    }
    const PortResult receiveType = portLibrary_.SetReceiveType(StartReceiveType);
    if (receiveType != PortOk) {
        fw::FailureTrace(op::StartUp, lvx::SetReceiveTypeName).PortResult(receiveType);
    }
    MainDialog dialog(nullptr);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
}
