// Port names: which spooler ports are candidates, and the PortId a name maps to.
// Portable C++: the one platform dependency is IsAnsiLeadByte (ports/AnsiLeadByte.cpp), which a
// build for another host replaces with its own.
#pragma once

#include "portlib/PortTypes.h"

// Tells whether byte begins a double-byte character of some code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

// True when byte begins a double-byte character of the system's ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

// True when name begins with "USB", "QRUSB" or "LPT" (byte for byte, case-sensitive).
bool IsCandidatePortName(const char* name);

// "USB" n gives 1024 + n, else "LPT" n gives 1151 + n, else 0; low 16 bits. The searches step
// by characters of the ANSI code page.
PortId PortIdFromText(const char* text);

// As above, with the double-byte characters that isLeadByte tells.
PortId PortIdFromText(const char* text, LeadBytePredicate isLeadByte);
