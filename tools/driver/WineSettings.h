// Settings of the Wine prefix that the GUI tests rely on, applied per program under test.
#pragma once

#include <string>

namespace guitest {

// True when running under Wine (ntdll exports wine_get_version).
bool runningUnderWine();
// Makes the program's windows unmanaged X windows. Without a window manager, Wine waits up to
// 2 s for one each time a managed window is hidden or destroyed; unmanaged windows skip that.
// Does nothing outside Wine.
void useUnmanagedWindows(const std::string& programFileName);

} // namespace guitest
