// The full path of a loaded module's file, in the text its user keeps paths in: UTF-16 for files
// the recorder writes, ANSI for the simulator's log and scenario paths.
#pragma once

#include <windows.h>

#include <string>

namespace lvxio {

namespace detail {
inline DWORD moduleFileName(HMODULE module, char* buffer, DWORD size) {
    return GetModuleFileNameA(module, buffer, size);
}
inline DWORD moduleFileName(HMODULE module, wchar_t* buffer, DWORD size) {
    return GetModuleFileNameW(module, buffer, size);
}
} // namespace detail

// Empty on failure. A path longer than the buffer comes back cut short, so the buffer grows.
template <class Char = wchar_t> std::basic_string<Char> modulePath(HMODULE module) {
    std::basic_string<Char> path(MAX_PATH, Char());
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = detail::moduleFileName(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.assign(path.size() * 2, Char());
    }
    return {};
}

} // namespace lvxio
