#include "diag/DiagCommands.h"

#include "app/UpdaterApp.h"
#include "diag/DiagReplies.h"
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
PortResult Exchange(const char* command, uint32_t count, char (&reply)[lvx::ReplySize]) {
    const PortResult sent = Ports().Send(command, count);
    if (sent != PortOk) {
        return sent;
    }
    uint32_t length = lvx::ReplySize;
    return Ports().Receive(reply, &length);
}

} // namespace

// Sent whole, in one call.
PortResult DiagCommands::SendJobLanguagePrefix() {
    return Ports().Send(JobLanguagePrefix, sizeof JobLanguagePrefix);
}

// No pause when the send failed: the printer never switched.
PortResult DiagCommands::EnterDiagLanguage() {
    const PortResult sent = Ports().Send(EnterDiagCommand, sizeof EnterDiagCommand);
    if (sent != PortOk) {
        return sent;
    }
    enterPause(EnterPauseMs);
    return PortOk;
}

// Sent without a NUL.
PortResult DiagCommands::LeaveDiagLanguage() {
    return Ports().Send(LeaveDiagCommand, sizeof LeaveDiagCommand - 1);
}

// High byte first, each as two upper-case digits; the reply is checked within its buffer.
PortResult DiagCommands::ReadMemoryByte(uint16_t address, uint8_t& value) {
    char command[MemoryReadLength + 1] = {};
    std::snprintf(command, sizeof command, MemoryReadFormat,
                  static_cast<unsigned int>(address >> 8),
                  static_cast<unsigned int>(address & 0xFF));
    char reply[lvx::ReplySize] = {};
    const PortResult result = Exchange(command, MemoryReadLength, reply);
    if (result != PortOk) {
        return result;
    }
    return diag::CheckMemoryReply(diag::BoundedText(reply, sizeof reply), value)
               ? PortOk
               : DiagReplyRejected;
}

// The reply is checked within its buffer.
PortResult DiagCommands::ReadNvmVersion(uint8_t& first, uint8_t& second, uint8_t& third) {
    char reply[lvx::ReplySize] = {};
    const PortResult result = Exchange(VersionReadCommand, sizeof VersionReadCommand - 1, reply);
    if (result != PortOk) {
        return result;
    }
    return diag::CheckVersionReply(diag::BoundedText(reply, sizeof reply), first, second, third)
               ? PortOk
               : DiagReplyRejected;
}

// Only tests call this.
DiagCommands::Pause DiagCommands::ReplacePauseForTesting(Pause replacement) {
    const Pause previous = enterPause;
    enterPause = replacement;
    return previous;
}
