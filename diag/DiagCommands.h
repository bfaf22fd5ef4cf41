// The printer's diagnostic commands: job-language prefix, enter the diagnostic language, read
// the NVM version and NVM bytes, leave. Each acts on the port already open.
#pragma once

#include "portlib/PortTypes.h"

#include <cstdint>

// What a read gives when the printer's reply fails its check.
inline constexpr PortResult DiagReplyRejected = 0;

class DiagCommands {
public:
    // Blocks the calling thread for the given milliseconds.
    using Pause = void (*)(uint32_t milliseconds);

    // How long the printer needs after ENTER LANGUAGE before it takes commands.
    static constexpr uint32_t EnterPauseMs = 2000;

    DiagCommands() = default;
    virtual ~DiagCommands() = default;
    DiagCommands(const DiagCommands&) = delete;
    DiagCommands& operator=(const DiagCommands&) = delete;

    // Sends the 9-byte job-language prefix.
    PortResult SendJobLanguagePrefix();
    // Sends ENTER LANGUAGE=DIAG with its NUL; after a successful send, waits EnterPauseMs.
    PortResult EnterDiagLanguage();
    // Sends "ED\r\n".
    PortResult LeaveDiagLanguage();
    // Reads the NVM byte at address into value; DiagReplyRejected for a reply that fails.
    PortResult ReadMemoryByte(uint16_t address, uint8_t& value);
    // Reads the three NVM version bytes; DiagReplyRejected for a reply that fails.
    PortResult ReadNvmVersion(uint8_t& first, uint8_t& second, uint8_t& third);

    // Tests only: replaces the pause after ENTER LANGUAGE and returns the one it replaces.
    // The tool itself never calls this, so it always waits the full time.
    static Pause ReplacePauseForTesting(Pause pause);
};
