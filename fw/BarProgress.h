// A progress bar as a progress sink: each report is the bar's own message, sent to the bar's
// thread and answered there.
#pragma once

#include "fw/ProgressBar.h"
#include "fw/ProgressSink.h"

namespace fw {

class BarProgress final : public ProgressSink {
public:
    explicit BarProgress(ProgressBar& bar) : bar_(bar) {}

    void SetRange(WORD low, WORD high) override { bar_.SetRange(low, high); }
    void SetRange32(int low, int high) override { bar_.SetRange32(low, high); }
    void SetPos(int position) override { bar_.SetPos(position); }
    void SetStep(int step) override { bar_.SetStep(step); }
    void StepIt() override { bar_.StepIt(); }

private:
    ProgressBar& bar_;
};

} // namespace fw
