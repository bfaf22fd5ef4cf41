// The call log (one text line per event) and the capture of every accepted byte.
// Each write opens, appends and closes, so readers see it at once and may delete the files.
#pragma once

#include <cstddef>
#include <string>

namespace lvxsim {

class SimLog {
public:
    // Where the log and the capture go; empty disables that output.
    void setPaths(std::string logPath, std::string capturePath);
    // Appends "PID text\n".
    void line(const std::string& text) const;
    // Appends "PID # text\n", a note that is not a call.
    void note(const std::string& text) const;
    // Appends accepted bytes to the capture.
    void capture(const void* data, std::size_t size) const;
    // The log's path.
    const std::string& logPath() const { return logPath_; }
    // The capture's path.
    const std::string& capturePath() const { return capturePath_; }

private:
    std::string logPath_;
    std::string capturePath_;
};

} // namespace lvxsim
