#include "update/ShutdownBlock.h"

#include <vector>

// The reason is only shown; the window refuses WM_QUERYENDSESSION itself whether or not the
// system took it.
ShutdownBlock::ShutdownBlock(HWND window, const std::string& reason) : window_(window) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        ::OutputDebugStringA("Corvane: MultiByteToWideChar for the shutdown reason failed\n");
        return;
    }
    std::vector<wchar_t> wide(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, wide.data(), length);
    active_ = ::ShutdownBlockReasonCreate(window_, wide.data()) != FALSE;
    if (!active_) {
        ::OutputDebugStringA("Corvane: ShutdownBlockReasonCreate failed\n");
    }
}

// Only a reason that was given is withdrawn.
ShutdownBlock::~ShutdownBlock() {
    if (active_ && ::ShutdownBlockReasonDestroy(window_) == FALSE) {
        ::OutputDebugStringA("Corvane: ShutdownBlockReasonDestroy failed\n");
    }
}
