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

} // namespace guitest
