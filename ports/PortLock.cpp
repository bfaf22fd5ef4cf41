#include "ports/PortLock.h"

#include "fw/Operations.h"
#include "fw/SecurityDescriptor.h"
#include "fw/Trace.h"

#include <windows.h>

namespace {

// Global rather than Local: the printers are the machine's, and a copy run in another session
// (another user logged on, a remote session) would stream to the same ports.
constexpr char PortLockName[] = "Global\\Corvane.PrinterPorts";
// What a copy needs of the lock: wait for it and release it.
constexpr DWORD LockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
// Every user gets that access (0x00100001) to the lock a copy makes, so a copy of another user
// never meets "access denied": the default security would admit the creator's user alone.
constexpr char LockSecurity[] = "D:(A;;0x00100001;;;WD)";

} // namespace

// A mutex left by a copy that died is abandoned, and then ours. Another kind of object under the
// name (ERROR_INVALID_HANDLE), or a mutex that withholds what every copy's lock grants to all,
// was made by something else: no copy holds the ports, but none can take them either.
PortLock::PortLock() {
    fw::SecurityDescriptor security(LockSecurity);
    mutex_.Reset(::CreateMutexExA(security.Attributes(), PortLockName, 0, LockAccess));
    if (!mutex_) {
        const DWORD error = ::GetLastError();
        foreign_ = error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED;
        fw::FailureTrace trace(op::PortLock, "CreateMutexExA");
        trace.LastError();
        if (foreign_) {
            trace.Note("the name is held by an object that is not a copy's lock");
        }
        return;
    }
    const DWORD waited = ::WaitForSingleObject(mutex_.Get(), 0);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (waited == WAIT_TIMEOUT) {
        fw::EventTrace(op::PortLock, "held by another copy");
    } else if (!held_) {
        fw::FailureTrace(op::PortLock, "WaitForSingleObject")
            .Result(static_cast<long long>(waited))
            .LastError();
    }
}

// Released on the thread that took it: the window's.
PortLock::~PortLock() {
    if (held_) {
        ::ReleaseMutex(mutex_.Get());
    }
}
