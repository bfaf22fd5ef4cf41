// What a message box is to show, decided by the work and shown by the window.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

struct BoxContent {
    std::string text;
    // Empty: the system's default caption.
    std::string caption;
    // MB_ICONERROR, MB_ICONINFORMATION, ...
    UINT icon = MB_ICONERROR;
};

} // namespace fw
