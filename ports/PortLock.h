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

    // True when this object holds the lock; false when another copy has it, or something else.
    bool Held() const { return held_; }
    // True when the lock's name is taken by something that is not a copy's lock: an object of
    // another type, or a mutex that refuses the access every copy's lock grants to all users.
    bool Foreign() const { return foreign_; }

private:
    fw::UniqueHandle mutex_;
    bool held_ = false;
    bool foreign_ = false;
};
