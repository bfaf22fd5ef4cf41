#include "ports/PortNames.h"

#include <windows.h>

// The system's ANSI code page decides; a host build links its own definition instead.
bool IsAnsiLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}
