// Opening a port for an operation, its failure traced under the operation's name.
#pragma once

#include "portlib/PortLibrary.h"

// Opens port (closing whatever was open); PortOk, or the library's result.
PortResult OpenPort(PortLibrary& ports, PortId port, const char* operation);
