// Refuses the end of the Windows session while it lives, with a reason the system shows.
#pragma once

#include <windows.h>

#include <string>

class ShutdownBlock {
public:
    // Gives window's reason for blocking the session's end; reason is ANSI text.
    ShutdownBlock(HWND window, const std::string& reason);
    // Withdraws the reason.
    ~ShutdownBlock();
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

private:
    HWND window_;
    bool active_ = false;
};
