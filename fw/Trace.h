// One line for a debug viewer when a Win32 or port-library call fails, or when something the
// operator did not see ends an operation: the operation, the call or event, its result and
// whatever tells why. Nothing is shown to the operator; a run from the command line may keep the
// lines in its log as well (TraceSink).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstddef>
#include <string_view>

namespace fw {

// Takes a copy of every trace line as it is written, from whichever thread writes it.
class TraceSink {
public:
    TraceSink() = default;
    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;

    // line has no line end.
    virtual void TraceWritten(std::string_view line) = 0;

protected:
    ~TraceSink() = default;
};

// The line and its facts; FailureTrace and EventTrace say how it begins.
class TraceLine {
public:
    // Hands the line to OutputDebugStringA and to the application's trace sink: a trace is one
    // statement, written when it ends.
    ~TraceLine();
    TraceLine(const TraceLine&) = delete;
    TraceLine& operator=(const TraceLine&) = delete;

    // A numeric result, in decimal.
    TraceLine& Result(long long value);
    // A 16-bit port-library result, as four hexadecimal digits.
    TraceLine& PortResult(int16_t value);
    // The thread's last error as it was when the trace began, right after the failed call.
    TraceLine& LastError();
    // A Win32 error code that a call gave back rather than left as the last error.
    TraceLine& Error(DWORD code);
    // The port library's detail of an I/O failure.
    TraceLine& IoDetail(int16_t detail);
    // Bytes of the transfer the printer has taken so far.
    TraceLine& BytesSent(uint64_t bytes);
    // Any other fact, as text.
    TraceLine& Note(std::string_view text);

protected:
    // Starts the line "<program>: <operation>: <what>"; the program is the application object's
    // name, and there is none before it is built.
    TraceLine(std::string_view operation, std::string_view what);
    // Appends text, cut at the line's end.
    void Append(std::string_view text);

private:
    // Read before anything else can change it.
    DWORD lastError_;
    // Fixed, so a trace needs no memory even when memory has run out.
    char line_[512] = {};
    std::size_t length_ = 0;
};

// "<program>: <operation>: <call> failed", and the facts that follow.
class FailureTrace : public TraceLine {
public:
    FailureTrace(std::string_view operation, std::string_view call);
};

// "<program>: <operation>: <what happened>" for an end that is no failure of a call: a stop the
// operator asked for, ports another copy holds.
class EventTrace : public TraceLine {
public:
    EventTrace(std::string_view operation, std::string_view what);
};

} // namespace fw
