#include "update/ShutdownBlock.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"

// The reason is only shown; the window refuses WM_QUERYENDSESSION itself whether or not the
// system took it.
ShutdownBlock::ShutdownBlock(HWND window, const std::string& reason) : window_(window) {
    std::wstring wide;
    if (!fw::WideFromAnsi(reason, wide, op::ShutdownBlock)) {
        return;
    }
    active_ = ::ShutdownBlockReasonCreate(window_, wide.c_str()) != FALSE;
    if (!active_) {
        fw::FailureTrace(op::ShutdownBlock, "ShutdownBlockReasonCreate").LastError();
    }
}

// Only a reason that was given is withdrawn.
ShutdownBlock::~ShutdownBlock() {
    if (active_ && ::ShutdownBlockReasonDestroy(window_) == FALSE) {
        fw::FailureTrace(op::ShutdownBlock, "ShutdownBlockReasonDestroy").LastError();
    }
}
