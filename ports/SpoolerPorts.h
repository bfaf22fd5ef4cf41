// The print spooler's port list: EnumPortsA at level 1 on the local machine.
#pragma once

#include "fw/Module.h"
#include "ports/PortEnumerator.h"

class SpoolerPorts : public PortEnumerator {
public:
    // Loads the spooler's library from the system folder; a library that cannot be had leaves
    // a list without spooler ports. Tests name another system library.
    explicit SpoolerPorts(const wchar_t* libraryName = L"winspool.drv");

    // The spooler is asked anew at every call.
    DWORD Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) override;
    // From the heap, null instead of an exception.
    std::unique_ptr<BYTE[]> Allocate(DWORD size) override;

private:
    fw::Module library_;
};
