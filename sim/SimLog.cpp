#include "sim/SimLog.h"

#include "lvxio/FileHandle.h"

#include <windows.h>

namespace lvxsim {

// Where the log and the capture go.
void SimLog::setPaths(std::string logPath, std::string capturePath) {
    logPath_ = std::move(logPath);
    capturePath_ = std::move(capturePath);
}

// One line, written in one piece so lines of several processes do not mix.
void SimLog::line(const std::string& text) const {
    if (logPath_.empty()) {
        return;
    }
    const std::string whole = std::to_string(GetCurrentProcessId()) + " " + text + "\n";
    lvxio::FileHandle::append(logPath_, whole.data(), whole.size());
}

// A note line.
void SimLog::note(const std::string& text) const {
    line("# " + text);
}

// Accepted bytes, in order.
void SimLog::capture(const void* data, std::size_t size) const {
    if (capturePath_.empty() || size == 0) {
        return;
    }
    lvxio::FileHandle::append(capturePath_, data, size);
}

} // namespace lvxsim
