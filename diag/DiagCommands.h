// The printer's diagnostic commands: enter, read NVM bytes, leave.
#pragma once

#include "portlib/PortTypes.h"

#include <cstdint>

class DiagCommands {
public:
    DiagCommands() = default;
    virtual ~DiagCommands() = default;
    DiagCommands(const DiagCommands&) = delete;
    DiagCommands& operator=(const DiagCommands&) = delete;
};
