// Where the port list comes from. The tool always reads the print spooler (SpoolerPorts); the
// interface exists so that tests can play the spooler's failures, which a real one seldom shows.
#pragma once

#include <windows.h>

#include <memory>

class PortEnumerator {
public:
    PortEnumerator() = default;
    virtual ~PortEnumerator() = default;
    PortEnumerator(const PortEnumerator&) = delete;
    PortEnumerator& operator=(const PortEnumerator&) = delete;

    // The local machine's ports at level 1 (PORT_INFO_1A records and their names) into buffer
    // of size bytes, as EnumPortsA gives them: ERROR_SUCCESS, or the error, which is
    // ERROR_INSUFFICIENT_BUFFER with needed set when buffer is too small.
    virtual DWORD Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) = 0;

    // A heap block of size bytes for the list; null when there is no memory for it.
    virtual std::unique_ptr<BYTE[]> Allocate(DWORD size) = 0;
};
