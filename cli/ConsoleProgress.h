// Progress as a percentage on the console, at most a few times a second; none when the output
// is a file or a pipe.
#pragma once

#include "cli/Output.h"
#include "fw/ProgressSink.h"

#include <windows.h>

namespace cli {

class ConsoleProgress final : public fw::ProgressSink {
public:
    explicit ConsoleProgress(Output& output) : output_(output) {}
    // Clears the figure from the console.
    ~ConsoleProgress() { output_.EndProgress(); }

    void SetRange(WORD low, WORD high) override { SetRange32(low, high); }
    void SetRange32(int low, int high) override;
    void SetPos(int position) override;
    void SetStep(int step) override { step_ = step; }
    void StepIt() override { SetPos(position_ + step_); }

private:
    Output& output_;
    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
    int step_ = 10;
    // The figure last shown, and when.
    int shown_ = -1;
    ULONGLONG shownAt_ = 0;
};

} // namespace cli
