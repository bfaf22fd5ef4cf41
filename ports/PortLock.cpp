#include "ports/PortLock.h"

#include "fw/Trace.h"
#include "portlib/Operations.h"

#include <windows.h>

namespace {

// Global rather than Local: the printers are the machine's, and a copy run in another session
// (another user logged on, a remote session) would stream to the same ports.
constexpr char PortLockName[] = "Global\\Corvane.PrinterPorts";

} // namespace

// A mutex left by a copy that died is abandoned, and then ours. A mutex that another user's copy
// made may refuse us access: that copy holds the ports as surely as one we could wait on.
PortLock::PortLock() : mutex_(::CreateMutexA(nullptr, FALSE, PortLockName)) {
    if (!mutex_) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace(op::PortLock, "CreateMutexA").LastError(error);
        return;
    }
    const DWORD waited = ::WaitForSingleObject(mutex_.Get(), 0);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (!held_) {
        fw::FailureTrace(op::PortLock, "WaitForSingleObject")
            .Result(static_cast<long long>(waited))
            .Note("held by another copy");
    }
}

// Released on the thread that took it: the window's.
PortLock::~PortLock() {
    if (held_) {
        ::ReleaseMutex(mutex_.Get());
    }
}
