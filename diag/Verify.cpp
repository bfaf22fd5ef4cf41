#include "diag/Verify.h"

#include "diag/DiagReplies.h"
#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "portlib/PortOpen.h"
#include "res/resource.h"

#include <cstdio>

namespace {

constexpr uint16_t FirstNvmAddress = 0x11BA;
constexpr uint16_t SecondNvmAddress = 0x12BA;
// Device ID check, prefix, ENTER, version read, the two byte reads.
constexpr WORD VerifySteps = 5;

// The sequence after the open; the bar advances after each counted step.
VerifyOutcome RunSequence(PortLibrary& ports, DiagCommands& commands, fw::ProgressSink& progress,
                          VerifyResult& result) {
    char deviceId[lvx::DeviceIdSize] = {};
    const PortResult got = ports.GetDeviceId(deviceId, sizeof deviceId);
    if (got != PortOk) {
        fw::FailureTrace(op::Verify, lvx::GetDeviceIdName).PortResult(got);
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
    if (commands.ReadNvmVersion(result.version[0], result.version[1], result.version[2]) !=
        PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.ReadMemoryByte(FirstNvmAddress, result.atFirstAddress) != PortOk ||
        commands.ReadMemoryByte(SecondNvmAddress, result.atSecondAddress) != PortOk) {
        return VerifyOutcome::Failed;
    }
    progress.StepIt();
    if (commands.LeaveDiagLanguage() != PortOk || commands.SendJobLanguagePrefix() != PortOk) {
        return VerifyOutcome::Failed;
    }
    const PortResult closed = ports.Close();
    if (closed != PortOk) {
        fw::FailureTrace(op::Verify, lvx::PortCloseName).PortResult(closed);
        return VerifyOutcome::Failed;
    }
    return VerifyOutcome::Verified;
}

} // namespace

VerifyResult RunVerify(PortLibrary& ports, DiagCommands& commands, PortId port,
                       fw::ProgressSink& progress) {
    progress.SetRange(0, VerifySteps);
    progress.SetPos(0);
    progress.SetStep(1);
    VerifyResult result;
    if (OpenPort(ports, port, op::Verify) == PortOk) {
        result.outcome = RunSequence(ports, commands, progress, result);
    }
    return result;
}

UINT VerifyResultMessage(const VerifyResult& result) {
    switch (result.outcome) {
    case VerifyOutcome::Verified:
        return IDS_VERIFY_RESULT;
    case VerifyOutcome::NoKeyword:
        return IDS_NO_ZKL;
    case VerifyOutcome::Failed:
        break;
    }
    return IDS_COMM_ERROR;
}

// The version bytes arrive as hexadecimal fields and are shown in decimal.
std::string VerifyReadings(const VerifyResult& result) {
    const std::string format = fw::LoadResString(IDS_VERIFY_RESULT);
    char text[128] = {};
    std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(result.version[0]),
                  static_cast<int>(result.version[1]), static_cast<int>(result.version[2]),
                  static_cast<unsigned int>(result.atFirstAddress),
                  static_cast<unsigned int>(result.atSecondAddress));
    return text;
}

fw::BoxContent VerifyResultBox(const VerifyResult& result) {
    const UINT message = VerifyResultMessage(result);
    if (message == IDS_VERIFY_RESULT) {
        return {VerifyReadings(result), fw::LoadResString(IDS_COMPLETION), MB_ICONINFORMATION};
    }
    return {fw::LoadResString(message), std::string(), MB_ICONERROR};
}
