#include "diag/DiagCommands.h"

#include "app/UpdaterApp.h"
#include "diag/DiagReplies.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr char JobLanguagePrefix[] = {'\x1B', '\x01', '@', 'Z', 'K', 'L', ' ', '\r', '\n'};
// Sent with its terminating NUL: the printer expects 27 bytes.
constexpr char EnterDiagCommand[] = "@ZKL ENTER LANGUAGE=DIAG\r\n";
constexpr char LeaveDiagCommand[] = "ED\r\n";
constexpr char VersionReadCommand[] = "CD 5,2,E2,01\r\n";
constexpr char MemoryReadFormat[] = "CD 2,3,12,%02X,%02X\r\n";
constexpr uint32_t MemoryReadLength = 17;

static_assert(sizeof JobLanguagePrefix == 9);
static_assert(sizeof EnterDiagCommand == 27);
static_assert(sizeof LeaveDiagCommand - 1 == 4);
static_assert(sizeof VersionReadCommand - 1 == 14);

// What the traces name these commands.
constexpr char Operation[] = "Diagnostic command";

// The line for a failed send or receive of the command named by what.
PortResult Traced(PortResult result, const char* call, const char* what) {
    if (result != PortOk) {
        fw::FailureTrace(Operation, call).PortResult(result).Note(what);
    }
    return result;
}

// The line for a reply that failed its check.
PortResult Rejected(const char* what) {
    fw::FailureTrace(Operation, "reply check").Note(what);
    return DiagReplyRejected;
}

// The printer's time to switch languages.
void SleepPause(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

DiagCommands::Pause enterPause = SleepPause;

// Reached afresh at every call; no operation keeps it.
PortLibrary& Ports() {
    return UpdaterApp::Running().Ports();
}

// One send, then one receive into a fresh zero-filled reply buffer; a failed send receives
// nothing.
PortResult Exchange(const char* command, uint32_t count, char (&reply)[lvx::ReplySize],
                    const char* what) {
    const PortResult sent = Traced(Ports().Send(command, count), lvx::SendName, what);
    if (sent != PortOk) {
        return sent;
    }
    uint32_t length = lvx::ReplySize;
    return Traced(Ports().Receive(reply, &length), lvx::ReceiveName, what);
}

} // namespace

// Sent whole, in one call.
PortResult DiagCommands::SendJobLanguagePrefix() {
    return Traced(Ports().Send(JobLanguagePrefix, sizeof JobLanguagePrefix), lvx::SendName,
                  "job-language prefix");
}

// No pause when the send failed: the printer never switched.
PortResult DiagCommands::EnterDiagLanguage() {
    const PortResult sent = Traced(Ports().Send(EnterDiagCommand, sizeof EnterDiagCommand),
                                   lvx::SendName, "ENTER LANGUAGE");
    if (sent != PortOk) {
        return sent;
    }
    enterPause(EnterPauseMs);
    return PortOk;
}

// Sent without a NUL.
PortResult DiagCommands::LeaveDiagLanguage() {
    return Traced(Ports().Send(LeaveDiagCommand, sizeof LeaveDiagCommand - 1), lvx::SendName, "ED");
}

// High byte first, each as two upper-case digits; the reply is checked within its buffer.
PortResult DiagCommands::ReadMemoryByte(uint16_t address, uint8_t& value) {
    char command[MemoryReadLength + 1] = {};
    std::snprintf(command, sizeof command, MemoryReadFormat,
                  static_cast<unsigned int>(address >> 8),
                  static_cast<unsigned int>(address & 0xFF));
    char reply[lvx::ReplySize] = {};
    const PortResult result = Exchange(command, MemoryReadLength, reply, "memory read");
    if (result != PortOk) {
        return result;
    }
    return diag::CheckMemoryReply(diag::BoundedText(reply, sizeof reply), value)
               ? PortOk
               : Rejected("memory read");
}

// The reply is checked within its buffer.
PortResult DiagCommands::ReadNvmVersion(uint8_t& first, uint8_t& second, uint8_t& third) {
    char reply[lvx::ReplySize] = {};
    const PortResult result =
        Exchange(VersionReadCommand, sizeof VersionReadCommand - 1, reply, "version read");
    if (result != PortOk) {
        return result;
    }
    return diag::CheckVersionReply(diag::BoundedText(reply, sizeof reply), first, second, third)
               ? PortOk
               : Rejected("version read");
}

// Only tests call this.
DiagCommands::Pause DiagCommands::ReplacePauseForTesting(Pause replacement) {
    const Pause previous = enterPause;
    enterPause = replacement;
    return previous;
}
