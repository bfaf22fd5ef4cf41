#include "ui/MainDialog.h"

#include "app/UpdaterApp.h"
#include "diag/DiagCommands.h"
#include "diag/DiagReplies.h"
#include "fw/HeldQuit.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "ports/PortLock.h"
#include "res/resource.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint16_t FirstNvmAddress = 0x11BA;
constexpr uint16_t SecondNvmAddress = 0x12BA;
// Device ID check, prefix, ENTER, version read, the two byte reads.
constexpr WORD VerifySteps = 5;

enum class VerifyOutcome { Verified, NoKeyword, Failed };

// What the printer told.
struct NvmReadings {
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t third = 0;
    uint8_t atFirstAddress = 0;
    uint8_t atSecondAddress = 0;
};

// Open, device ID, the command sequence and close; the bar advances after each counted step.
// A failure ends the sequence at once and leaves the port open for the next Open to close.
VerifyOutcome RunSequence(PortId port, fw::ProgressBar& progress, NvmReadings& readings) {
    PortLibrary& ports = UpdaterApp::Running().Ports();
    DiagCommands& commands = UpdaterApp::Running().Diag();
    const PortResult opened = ports.Open(port);
    if (opened != PortOk) {
        fw::FailureTrace("Verify", lvx::PortOpenName)
            .PortResult(opened)
            .Note("port " + std::to_string(port));
        return VerifyOutcome::Failed;
    }
    char deviceId[lvx::DeviceIdSize] = {};
    const PortResult got = ports.GetDeviceId(deviceId, sizeof deviceId);
    if (got != PortOk) {
        fw::FailureTrace("Verify", lvx::GetDeviceIdName).PortResult(got);
        return VerifyOutcome::Failed;
    }
    if (!diag::HasJobLanguageKeyword(diag::BoundedText(deviceId, sizeof deviceId))) {
        return VerifyOutcome::NoKeyword;
    }
    progress.StepIt();
    if (commands.SendJobLanguagePrefix() != PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.EnterDiagLanguage() != PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.ReadNvmVersion(readings.first, readings.second, readings.third) != PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.ReadMemoryByte(FirstNvmAddress, readings.atFirstAddress) != PortOk ||
        commands.ReadMemoryByte(SecondNvmAddress, readings.atSecondAddress) != PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.LeaveDiagLanguage() != PortOk || commands.SendJobLanguagePrefix() != PortOk) {
        return VerifyOutcome::Failed;
    }
    const PortResult closed = ports.Close();
    if (closed != PortOk) {
        fw::FailureTrace("Verify", lvx::PortCloseName).PortResult(closed);
        return VerifyOutcome::Failed;
    }
    return VerifyOutcome::Verified;
}

// The version bytes arrive as hexadecimal fields and are shown in decimal.
std::string ResultText(const NvmReadings& readings) {
    const std::string format = fw::LoadResString(IDS_VERIFY_RESULT);
    char text[128] = {};
    std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(readings.first),
                  static_cast<int>(readings.second), static_cast<int>(readings.third),
                  static_cast<unsigned int>(readings.atFirstAddress),
                  static_cast<unsigned int>(readings.atSecondAddress));
    return text;
}

} // namespace

// Runs wholly on the window's thread and dispatches nothing until its box shows; the bar keeps
// its position while a box is up, so it tells how far the sequence got.
void MainDialog::OnVerify() {
    UpdateData(true);
    if (!RequirePortSelection()) {
        return;
    }
    NvmReadings readings;
    VerifyOutcome outcome = VerifyOutcome::Failed;
    {
        // Held for the port work only, not while the box waits for the operator.
        const PortLock lock;
        if (!RequirePortLock(lock)) {
            return;
        }
        m_progress.SetRange(0, VerifySteps);
        m_progress.SetPos(0);
        m_progress.SetStep(1);
        outcome = RunSequence(GetSelectedPortId(), m_progress, readings);
    }
    // Keys and clicks given while the sequence held the thread were meant for a window that could
    // not answer; they must not answer the box that follows. A quit found among them waits for
    // the box to be closed.
    fw::HeldQuit quit;
    fw::DiscardQueuedInput(quit);
    switch (outcome) {
    case VerifyOutcome::Verified:
        ShowMessage(ResultText(readings), fw::LoadResString(IDS_COMPLETION).c_str(),
                    MB_ICONINFORMATION);
        break;
    case VerifyOutcome::NoKeyword:
        ShowMessage(fw::LoadResString(IDS_NO_ZKL), nullptr, MB_ICONERROR);
        break;
    case VerifyOutcome::Failed:
        ShowMessage(fw::LoadResString(IDS_COMM_ERROR), nullptr, MB_ICONERROR);
        break;
    }
    m_progress.SetPos(0);
    quit.Release();
}
