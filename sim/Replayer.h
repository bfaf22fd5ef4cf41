// Plays a recording back: holds each call of the tool against the next recorded one and gives
// what the recorded library gave. From the first divergence on, every call fails.
#pragma once

#include "lvxio/Recording.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lvxsim {

class Replayer {
public:
    // Result of every call from the first divergence on.
    static constexpr uint16_t DivergedCode = 0x0106;
    // Longest pause a timed replay keeps between two calls: a recording may say days.
    static constexpr ULONGLONG MaxPause = 10000;

    // Reads the recording; each line that cannot be used is described in problems (and then
    // missing from the replay, so the tool's call there diverges).
    Replayer(const std::string& path, bool timing, std::vector<std::string>& problems);

    // The recorded call that matches came (entry point and arguments), after the recorded pause
    // when timing is on; null from the first divergence on. The divergence, once, goes to note.
    const lvxio::RecordedCall* next(const lvxio::RecordedCall& came, std::string& note);
    // Number of recorded calls.
    std::size_t total() const { return calls_.size(); }

private:
    std::vector<lvxio::RecordedCall> calls_;
    std::size_t next_ = 0;
    bool diverged_ = false;
    bool timing_ = false;
    // When the latest replayed call was due (tick count), and its recorded time.
    ULONGLONG due_ = 0;
    double lastMillis_ = 0;
};

} // namespace lvxsim
