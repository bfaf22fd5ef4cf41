#include "sim/Replayer.h"

#include "lvxio/FileHandle.h"

#include <algorithm>

namespace lvxsim {

Replayer::Replayer(const std::string& path, bool timing, std::vector<std::string>& problems)
    : timing_(timing) {
    std::string text;
    if (!lvxio::FileHandle::readAll(path, text)) {
        problems.push_back("cannot read the recording");
        return;
    }
    if (text.compare(0, std::char_traits<char>::length(lvxio::Recording::Magic),
                     lvxio::Recording::Magic) != 0) {
        problems.push_back("not a recording: the first line is not \"" +
                           std::string(lvxio::Recording::Magic) + " N\"");
    }
    calls_ = lvxio::Recording::parseAll(text, problems);
}

// The entry point and every argument must agree: a different port, command or data piece is
// the tool doing something else than in the recorded run.
const lvxio::RecordedCall* Replayer::next(const lvxio::RecordedCall& came, std::string& note) {
    if (diverged_) {
        return nullptr;
    }
    if (next_ >= calls_.size()) {
        diverged_ = true;
        note = "replay divergence after the last recorded call" +
               (calls_.empty() ? std::string()
                               : " (line " + std::to_string(calls_.back().line) + ")") +
               ": expected the end of the recording, came " + lvxio::Recording::describe(came);
        return nullptr;
    }
    const lvxio::RecordedCall& recorded = calls_[next_];
    if (recorded.entry != came.entry || recorded.args != came.args) {
        diverged_ = true;
        note = "replay divergence at line " + std::to_string(recorded.line) + ": expected " +
               lvxio::Recording::describe(recorded) + ", came " + lvxio::Recording::describe(came);
        if (lvxio::Recording::isPiece(recorded) || lvxio::Recording::isPiece(came)) {
            note += " (a data piece differs: is it the same data file as in the recorded run?)";
        }
        return nullptr;
    }
    if (timing_) {
        // Each pause is kept as recorded, up to MaxPause; the parser has refused negative and
        // non-finite times, and one earlier than its predecessor adds no pause.
        const ULONGLONG now = GetTickCount64();
        const double gap = next_ == 0 ? 0.0 : recorded.millis - lastMillis_;
        const double kept = std::min(std::max(gap, 0.0), static_cast<double>(MaxPause));
        due_ = (next_ == 0 ? now : due_) + static_cast<ULONGLONG>(kept);
        lastMillis_ = recorded.millis;
        if (due_ > now) {
            Sleep(static_cast<DWORD>(due_ - now));
        }
    }
    ++next_;
    return &recorded;
}

} // namespace lvxsim
