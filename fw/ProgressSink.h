// Where an operation reports how far it has got: the window's bar, or a console line.
#pragma once

#include <windows.h>

namespace fw {

class ProgressSink {
public:
    ProgressSink() = default;
    ProgressSink(const ProgressSink&) = delete;
    ProgressSink& operator=(const ProgressSink&) = delete;

    // A range of at most 16 bits each way.
    virtual void SetRange(WORD low, WORD high) = 0;
    // A range of 32 bits each way.
    virtual void SetRange32(int low, int high) = 0;
    // Moves to position.
    virtual void SetPos(int position) = 0;
    // Sets the size of one step.
    virtual void SetStep(int step) = 0;
    // Advances by one step.
    virtual void StepIt() = 0;

protected:
    ~ProgressSink() = default;
};

} // namespace fw
