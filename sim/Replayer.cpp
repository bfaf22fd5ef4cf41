#include "sim/Replayer.h"

#include "sim/FileHandle.h"

namespace lvxsim {

Replayer::Replayer(const std::string& path, bool timing, std::vector<std::string>& problems)
    : timing_(timing) {
    std::string text;
    if (!FileHandle::readAll(path, text)) {
        problems.push_back("cannot read the recording");
        return;
    }
    if (text.compare(0, std::char_traits<char>::length(Recording::Magic), Recording::Magic) != 0) {
        problems.push_back("not a recording: the first line is not \"" +
                           std::string(Recording::Magic) + " N\"");
    }
    calls_ = Recording::parseAll(text, problems);
}

// The entry point and every argument must agree: a different port, command or data piece is
// the tool doing something else than in the recorded run.
const RecordedCall* Replayer::next(const RecordedCall& came, std::string& note) {
    if (diverged_) {
        return nullptr;
    }
    if (next_ >= calls_.size()) {
        diverged_ = true;
        note = "replay divergence after the last recorded call" +
               (calls_.empty() ? std::string()
                               : " (line " + std::to_string(calls_.back().line) + ")") +
               ": expected the end of the recording, came " + Recording::describe(came);
        return nullptr;
    }
    const RecordedCall& recorded = calls_[next_];
    if (recorded.entry != came.entry || recorded.args != came.args) {
        diverged_ = true;
        note = "replay divergence at line " + std::to_string(recorded.line) + ": expected " +
               Recording::describe(recorded) + ", came " + Recording::describe(came);
        if (Recording::isPiece(recorded) || Recording::isPiece(came)) {
            note += " (a data piece differs: is it the same data file as in the recorded run?)";
        }
        return nullptr;
    }
    if (timing_) {
        const ULONGLONG now = GetTickCount64();
        if (next_ == 0) {
            origin_ = now;
        }
        const double since = recorded.millis - calls_.front().millis;
        const ULONGLONG due = origin_ + static_cast<ULONGLONG>(since > 0 ? since : 0);
        if (due > now) {
            Sleep(static_cast<DWORD>(due - now));
        }
    }
    ++next_;
    return &recorded;
}

} // namespace lvxsim
