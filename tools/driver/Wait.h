// Polling with a time limit: every wait in the GUI tests goes through here.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace guitest {

using Millis = std::chrono::milliseconds;

// Limit of a wait when the caller gives none: generous, since the emulated 32-bit run is slow,
// and a limit costs time only when the awaited state never comes.
inline constexpr Millis DefaultTimeout{30000};
// Pause between two looks.
inline constexpr Millis PollInterval{20};

// A wait ran out; what() names what was awaited and for how long.
class WaitTimeout : public std::runtime_error {
public:
    // what: the awaited condition in words, e.g. "main window of process 42".
    WaitTimeout(const std::string& what, Millis limit);
};

// Calls probe until its result tests true and returns that result; throws WaitTimeout after limit.
template <typename Probe>
auto waitFor(const std::string& what, Probe probe, Millis limit = DefaultTimeout) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        auto result = probe();
        if (result) {
            return result;
        }
        if (std::chrono::steady_clock::now() >= end) {
            throw WaitTimeout(what, limit);
        }
        std::this_thread::sleep_for(PollInterval);
    }
}

// Sleeps for a settle period; only for proving that something does NOT happen.
void settle(Millis period);

} // namespace guitest
