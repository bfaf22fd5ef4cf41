// The code-page test for the host build of the port names: a single-byte code page. The
// double-byte case is tested with a predicate of its own.
#include "ports/PortNames.h"

// No byte begins a double-byte character.
bool IsAnsiLeadByte(unsigned char) {
    return false;
}
