#include "coverage/CoverageDump.h"

#include "fw/Operations.h"
#include "fw/Trace.h"

#include <windows.h>

// GCC's header declares the C functions without C linkage.
extern "C" {
#include <gcov.h>
}

#include <string>

namespace {

// Linked into the coverage build of the program alone, never into the shipped one.
CoverageDump theCoverageDump;

std::string EventName(const char* stem) {
    return std::string(stem) + std::to_string(::GetCurrentProcessId());
}

} // namespace

CoverageDump::CoverageDump()
    : request_(::CreateEventA(nullptr, FALSE, FALSE, EventName("Corvane.CoverageDump.").c_str())),
      done_(::CreateEventA(nullptr, FALSE, FALSE, EventName("Corvane.CoverageDumped.").c_str())),
      stop_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!request_ || !done_ || !stop_) {
        fw::FailureTrace(op::Coverage, "CreateEventA").LastError();
        return;
    }
    thread_.Reset(::CreateThread(nullptr, 0, Serve, this, 0, nullptr));
    if (!thread_) {
        fw::FailureTrace(op::Coverage, "CreateThread").LastError();
    }
}

CoverageDump::~CoverageDump() {
    if (thread_) {
        ::SetEvent(stop_.Get());
        ::WaitForSingleObject(thread_.Get(), INFINITE);
    }
}

// The counts are cleared after each write, so a later write or the exit adds only what came
// after (gcov adds a run's counts to those already in the files).
DWORD WINAPI CoverageDump::Serve(void* self) {
    const auto& dump = *static_cast<const CoverageDump*>(self);
    const HANDLE waits[] = {dump.stop_.Get(), dump.request_.Get()};
    for (;;) {
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) {
            if (woke == WAIT_FAILED) {
                fw::FailureTrace(op::Coverage, "WaitForMultipleObjects").LastError();
            }
            return 0;
        }
        __gcov_dump();
        __gcov_reset();
        if (!::SetEvent(dump.done_.Get())) {
            fw::FailureTrace(op::Coverage, "SetEvent").LastError();
        }
    }
}
