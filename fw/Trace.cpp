#include "fw/Trace.h"

#include "fw/Application.h"

#include <cstdio>
#include <cstring>

namespace fw {

namespace {

// Room kept for the line end and the terminator.
constexpr std::size_t EndRoom = 2;

// ", " and the formatted number; any 64-bit value fits with its label.
template <class Value> void Format(char (&text)[64], const char* format, Value value) {
    text[0] = ',';
    text[1] = ' ';
    std::snprintf(text + 2, sizeof text - 2, format, value);
}

} // namespace

// The program's name comes from its application object; a trace before that has none.
TraceLine::TraceLine(std::string_view operation, std::string_view what)
    : lastError_(::GetLastError()) {
    if (const Application* app = Application::Current()) {
        Append(app->Name());
        Append(": ");
    }
    Append(operation);
    Append(": ");
    Append(what);
}

FailureTrace::FailureTrace(std::string_view operation, std::string_view call)
    : TraceLine(operation, call) {
    Append(" failed");
}

EventTrace::EventTrace(std::string_view operation, std::string_view what)
    : TraceLine(operation, what) {}

// One call per line, so a viewer shows each on its own.
TraceLine::~TraceLine() {
    line_[length_] = '\n';
    line_[length_ + 1] = '\0';
    ::OutputDebugStringA(line_);
    if (const Application* app = Application::Current()) {
        if (TraceSink* sink = app->Traces()) {
            sink->TraceWritten(std::string_view(line_, length_));
        }
    }
}

void TraceLine::Append(std::string_view text) {
    const std::size_t room = sizeof line_ - EndRoom - length_;
    const std::size_t count = text.size() < room ? text.size() : room;
    std::memcpy(line_ + length_, text.data(), count);
    length_ += count;
}

TraceLine& TraceLine::Result(long long value) {
    char text[64];
    Format(text, "result %lld", value);
    Append(text);
    return *this;
}

// The library's codes are documented in hexadecimal (0x1000, 0xB000).
TraceLine& TraceLine::PortResult(int16_t value) {
    char text[64];
    Format(text, "result 0x%04X", static_cast<unsigned int>(static_cast<uint16_t>(value)));
    Append(text);
    return *this;
}

TraceLine& TraceLine::LastError() {
    char text[64];
    Format(text, "GetLastError %lu", static_cast<unsigned long>(lastError_));
    Append(text);
    return *this;
}

TraceLine& TraceLine::Error(DWORD code) {
    char text[64];
    Format(text, "error %lu", static_cast<unsigned long>(code));
    Append(text);
    return *this;
}

TraceLine& TraceLine::IoDetail(int16_t detail) {
    char text[64];
    Format(text, "I/O detail %d", static_cast<int>(detail));
    Append(text);
    return *this;
}

TraceLine& TraceLine::BytesSent(uint64_t bytes) {
    char text[64];
    Format(text, "%llu bytes sent", static_cast<unsigned long long>(bytes));
    Append(text);
    return *this;
}

TraceLine& TraceLine::Note(std::string_view text) {
    Append(", ");
    Append(text);
    return *this;
}

} // namespace fw
