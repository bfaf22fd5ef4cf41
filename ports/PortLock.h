// The machine-wide lock on the printer ports: one copy of the tool at a time talks to them.
#pragma once

#include "fw/UniqueHandle.h"

class PortLock {
public:
    // Tries to take the lock without waiting; Held() tells whether it was had.
    PortLock();
    // Gives the lock back if it was had.
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // True when this object holds the lock; false when another copy has it.
    bool Held() const { return held_; }

private:
    fw::UniqueHandle mutex_;
    bool held_ = false;
};
