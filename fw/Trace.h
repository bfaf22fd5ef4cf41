// One line for a debug viewer when a Win32 or port-library call fails: the operation, the call,
// its result and whatever tells why. Nothing is stored or shown to the operator.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstddef>
#include <string_view>

namespace fw {

class FailureTrace {
public:
    // Starts the line "<program>: <operation>: <call> failed"; the program is the application
    // object's name, and there is none before it is built.
    FailureTrace(std::string_view operation, std::string_view call);
    // Hands the line to OutputDebugStringA: a trace is one statement, written when it ends.
    ~FailureTrace();
    FailureTrace(const FailureTrace&) = delete;
    FailureTrace& operator=(const FailureTrace&) = delete;

    // A numeric result, in decimal.
    FailureTrace& Result(long long value);
    // A 16-bit port-library result, as four hexadecimal digits.
    FailureTrace& PortResult(int16_t value);
    // The thread's last error as the call left it.
    FailureTrace& LastError(DWORD error);
    // The port library's detail of an I/O failure.
    FailureTrace& IoDetail(int16_t detail);
    // Bytes of the transfer the printer has taken so far.
    FailureTrace& BytesSent(uint64_t bytes);
    // Any other fact, as text.
    FailureTrace& Note(std::string_view text);

private:
    // Appends text, cut at the line's end.
    void Append(std::string_view text);

    // Fixed, so a trace needs no memory even when memory has run out.
    char line_[512] = {};
    std::size_t length_ = 0;
};

} // namespace fw
