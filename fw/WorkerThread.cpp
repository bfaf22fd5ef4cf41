#include "fw/Operations.h"
#include "fw/WorkerThread.h"

#include "fw/Trace.h"

#include <process.h>

#include <cerrno>
#include <cstdlib>

namespace fw {

namespace {

// What the C run-time thread entry carries to the body.
struct Launch {
    WorkerThread::Body body;
    void* argument;
};

unsigned __stdcall ThreadEntry(void* launchBlock) {
    const std::unique_ptr<Launch> launch(static_cast<Launch*>(launchBlock));
    return static_cast<unsigned>(launch->body(launch->argument));
}

} // namespace

// Uses the run-time library's thread start so that its per-thread data is set up.
std::unique_ptr<WorkerThread> WorkerThread::Start(Body body, void* argument, int priority,
                                                  unsigned stackSize, DWORD flags) {
    // Everything that can fail comes before the thread exists.
    std::unique_ptr<WorkerThread> thread(new (std::nothrow) WorkerThread(nullptr));
    // cppcheck-suppress unreadVariable ; read below: cppcheck misses it after new (std::nothrow)
    auto launch = std::unique_ptr<Launch>(new (std::nothrow) Launch{body, argument});
    if (!thread || !launch) {
        FailureTrace(op::WorkerThread, "new");
        return nullptr;
    }
    // Priority is set while the thread cannot yet run.
    const uintptr_t raw = ::_beginthreadex(nullptr, stackSize, ThreadEntry, launch.get(),
                                           flags | CREATE_SUSPENDED, nullptr);
    if (raw == 0) {
        // The run-time library keeps the system's error in _doserrno.
        FailureTrace(op::WorkerThread, "_beginthreadex").Result(errno).Error(_doserrno);
        return nullptr;
    }
    launch.release();
    thread->handle_.Reset(reinterpret_cast<HANDLE>(raw));
    if (!::SetThreadPriority(thread->Handle(), priority)) {
        FailureTrace(op::WorkerThread, "SetThreadPriority").LastError();
    }
    if ((flags & CREATE_SUSPENDED) == 0) {
        thread->Resume();
    }
    return thread;
}

} // namespace fw
