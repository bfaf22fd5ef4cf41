// The print spooler's port list: EnumPortsA at level 1 on the local machine.
#pragma once

#include "ports/PortEnumerator.h"

class SpoolerPorts : public PortEnumerator {
public:
    // The spooler is asked anew at every call.
    DWORD Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) override;
    // From the heap, null instead of an exception.
    std::unique_ptr<BYTE[]> Allocate(DWORD size) override;
};
