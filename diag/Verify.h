// Verify: the printer's device check, the diagnostic sequence that reads the NVM version and two
// NVM bytes, and the box that tells the result.
#pragma once

#include "diag/DiagCommands.h"
#include "fw/BoxContent.h"
#include "fw/ProgressSink.h"
#include "portlib/PortLibrary.h"

#include <cstdint>
#include <string>

enum class VerifyOutcome { Verified, NoKeyword, Failed };

struct VerifyResult {
    VerifyOutcome outcome = VerifyOutcome::Failed;
    // The version's three bytes and the bytes at 0x11BA and 0x12BA, once verified.
    uint8_t version[3] = {};
    uint8_t atFirstAddress = 0;
    uint8_t atSecondAddress = 0;
};

// Opens port, checks the device ID, runs the sequence and closes the port, stepping progress
// through its five steps. A failure ends the sequence at once and leaves the port open for the
// next Open to close.
VerifyResult RunVerify(PortLibrary& ports, DiagCommands& commands, PortId port,
                       fw::ProgressSink& progress);

// The string-table id of the message for result: the readings' format, or the failure.
UINT VerifyResultMessage(const VerifyResult& result);

// The readings of a verified result as Verify shows them: the version, then the two bytes, one
// line each ("\r\n" between them).
std::string VerifyReadings(const VerifyResult& result);

// The box for result: the readings, or the failure.
fw::BoxContent VerifyResultBox(const VerifyResult& result);
