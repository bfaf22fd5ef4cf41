// A worker thread, started suspended; the object owns its handle and outlives the thread.
#pragma once

#include "fw/UniqueHandle.h"

#include <windows.h>

#include <memory>

namespace fw {

class WorkerThread {
public:
    // A thread body: takes the argument given to Start, returns the exit code.
    using Body = DWORD (*)(void* argument);

    // Starts body(argument) with the given priority, stack size and creation flags
    // (CREATE_SUSPENDED to resume later); null when the thread cannot be made.
    static std::unique_ptr<WorkerThread> Start(Body body, void* argument, int priority,
                                               unsigned stackSize, DWORD flags);

    ~WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Lets a suspended thread run; the previous suspend count, or (DWORD)-1.
    DWORD Resume() { return ::ResumeThread(handle_.Get()); }
    // The thread handle, signalled when the thread has ended.
    HANDLE Handle() const { return handle_.Get(); }
    // The exit code, STILL_ACTIVE while it runs; false when it cannot be read.
    bool ExitCode(DWORD& code) const { return ::GetExitCodeThread(handle_.Get(), &code) != FALSE; }

private:
    explicit WorkerThread(HANDLE handle) : handle_(handle) {}

    UniqueHandle handle_;
};

} // namespace fw
