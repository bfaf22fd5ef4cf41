#include "update/SystemRequiredScope.h"

#include "fw/Operations.h"
#include "fw/Trace.h"

#include <windows.h>

// The state is the thread's own: it also ends if the thread ends first.
SystemRequiredScope::SystemRequiredScope()
    : active_(::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0) {
    if (!active_) {
        fw::FailureTrace(op::Update, "SetThreadExecutionState").Result(0);
    }
}

// Continuous with no requirement is the documented release.
SystemRequiredScope::~SystemRequiredScope() {
    if (active_) {
        ::SetThreadExecutionState(ES_CONTINUOUS);
    }
}
