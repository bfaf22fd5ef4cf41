#include "ports/SpoolerPorts.h"

#include <winspool.h>

#include <new>

// A failure that leaves no error code still counts as a failure.
DWORD SpoolerPorts::Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) {
    if (::EnumPortsA(nullptr, 1, buffer, size, &needed, &returned)) {
        return ERROR_SUCCESS;
    }
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The list can be large; running short of memory is an answer, not an exception.
std::unique_ptr<BYTE[]> SpoolerPorts::Allocate(DWORD size) {
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size]);
}
