// Settings of the Wine prefix that the GUI tests rely on, applied per program under test.
#pragma once

#include <optional>
#include <string>

namespace guitest {

// True when running under Wine (ntdll exports wine_get_version).
bool runningUnderWine();
// Makes the program's windows unmanaged X windows. Without a window manager, Wine waits up to
// 2 s for one each time a managed window is hidden or destroyed; unmanaged windows skip that.
// Does nothing outside Wine.
void useUnmanagedWindows(const std::string& programFileName);

// The prefix's display scale for programs started while this lives, in dots per inch (96 is
// 100 %); the value before it comes back at the end. Wine reads it as each program starts;
// Windows only at the next sign-in, so it is for Wine alone.
class SystemDpi {
public:
    explicit SystemDpi(int dpi);
    ~SystemDpi();
    SystemDpi(const SystemDpi&) = delete;
    SystemDpi& operator=(const SystemDpi&) = delete;

private:
    std::optional<unsigned long> before_;
};

} // namespace guitest
