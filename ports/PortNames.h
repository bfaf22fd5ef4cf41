// Port names: which spooler ports are candidates, and the PortId a name maps to.
#pragma once

#include "portlib/PortTypes.h"

// True when name begins with "USB", "QRUSB" or "LPT" (byte for byte, case-sensitive).
bool IsCandidatePortName(const char* name);

// "USB" n gives 1024 + n, else "LPT" n gives 1151 + n, else 0; low 16 bits.
PortId PortIdFromText(const char* text);
