#include "WineSettings.h"

#include "RegistryKey.h"

#include <windows.h>

#include <stdexcept>

namespace guitest {

// Wine's own export; Windows' ntdll has no such name.
bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Per-program key, so nothing else in the prefix changes; Wine reads it at the program's start.
void useUnmanagedWindows(const std::string& programFileName) {
    if (!runningUnderWine()) {
        return;
    }
    const RegistryKey key(HKEY_CURRENT_USER,
                          "Software\\Wine\\AppDefaults\\" + programFileName + "\\X11 Driver");
    if (!key.setString("Managed", "N")) {
        throw std::runtime_error("cannot set the Wine window setting for " + programFileName);
    }
}

namespace {

constexpr char DesktopKey[] = "Control Panel\\Desktop";
constexpr char DpiValue[] = "LogPixels";

} // namespace

SystemDpi::SystemDpi(int dpi) {
    if (!runningUnderWine()) {
        throw std::runtime_error("the display scale is set for Wine alone");
    }
    const RegistryKey key(HKEY_CURRENT_USER, DesktopKey);
    before_ = key.dword(DpiValue);
    if (!key.setDword(DpiValue, static_cast<DWORD>(dpi))) {
        throw std::runtime_error("cannot set the display scale to " + std::to_string(dpi));
    }
}

// Put back as it was, or removed when the prefix had none.
SystemDpi::~SystemDpi() {
    const RegistryKey key(HKEY_CURRENT_USER, DesktopKey);
    if (before_) {
        key.setDword(DpiValue, static_cast<DWORD>(*before_));
    } else {
        key.remove(DpiValue);
    }
}

} // namespace guitest
