#include "cli/ConsoleProgress.h"

namespace cli {

namespace {

// A figure changes at most four times a second: a console is read, not watched.
constexpr ULONGLONG ShowEveryMs = 250;

} // namespace

void ConsoleProgress::SetRange32(int low, int high) {
    low_ = low;
    high_ = high;
    position_ = low;
}

// The last figure of a range always shows: a run that ends well ends at 100.
void ConsoleProgress::SetPos(int position) {
    position_ = position;
    if (!output_.OnConsole() || high_ <= low_) {
        return;
    }
    const long long span = static_cast<long long>(high_) - low_;
    long long done = static_cast<long long>(position) - low_;
    done = done < 0 ? 0 : (done > span ? span : done);
    const int percent = static_cast<int>(done * 100 / span);
    const ULONGLONG now = ::GetTickCount64();
    if (percent == shown_ || (percent != 100 && shown_ >= 0 && now - shownAt_ < ShowEveryMs)) {
        return;
    }
    shown_ = percent;
    shownAt_ = now;
    output_.ShowProgress(percent);
}

} // namespace cli
