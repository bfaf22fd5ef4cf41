#include "update/ShutdownBlock.h"

#include "fw/Text.h"
#include "fw/Trace.h"

// The reason is only shown; the window refuses WM_QUERYENDSESSION itself whether or not the
// system took it.
ShutdownBlock::ShutdownBlock(HWND window, const std::string& reason) : window_(window) {
    std::wstring wide;
    if (!fw::WideFromAnsi(reason, wide, "Shutdown block")) {
        return;
    }
    active_ = ::ShutdownBlockReasonCreate(window_, wide.c_str()) != FALSE;
    if (!active_) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace("Shutdown block", "ShutdownBlockReasonCreate").LastError(error);
    }
}

// Only a reason that was given is withdrawn.
ShutdownBlock::~ShutdownBlock() {
    if (active_ && ::ShutdownBlockReasonDestroy(window_) == FALSE) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace("Shutdown block", "ShutdownBlockReasonDestroy").LastError(error);
    }
}
