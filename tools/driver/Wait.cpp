#include "Wait.h"

namespace guitest {

// The message reads as a test failure on its own.
WaitTimeout::WaitTimeout(const std::string& what, Millis limit)
    : std::runtime_error("timed out after " + std::to_string(limit.count()) + " ms waiting for " +
                         what) {}

// A named sleep, so each "nothing happened" check shows its period.
void settle(Millis period) {
    std::this_thread::sleep_for(period);
}

} // namespace guitest
