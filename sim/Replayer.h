// Plays a recording back: holds each call of the tool against the next recorded one and gives
// what the recorded library gave. From the first divergence on, every call fails.
#pragma once

#include "sim/Recording.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lvxsim {

class Replayer {
public:
    // Result of every call from the first divergence on.
    static constexpr uint16_t DivergedCode = 0x0106;

    // Reads the recording; each line that cannot be used is described in problems (and then
    // missing from the replay, so the tool's call there diverges).
    Replayer(const std::string& path, bool timing, std::vector<std::string>& problems);

    // The recorded call that matches came (entry point and arguments), after the recorded pause
    // when timing is on; null from the first divergence on. The divergence, once, goes to note.
    const RecordedCall* next(const RecordedCall& came, std::string& note);
    // Number of recorded calls.
    std::size_t total() const { return calls_.size(); }

private:
    std::vector<RecordedCall> calls_;
    std::size_t next_ = 0;
    bool diverged_ = false;
    bool timing_ = false;
    // Tick count of the first replayed call.
    ULONGLONG origin_ = 0;
};

} // namespace lvxsim
