// Owner of one loaded library, freed when the owner goes.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The program's own module, whose resources the program uses.
inline HMODULE ProgramModule() {
    return ::GetModuleHandleA(nullptr);
}

// Takes the program's folder and the current directory out of every later library search of
// the process: system libraries come from the system folder alone. False where the platform
// cannot (Windows 7 without its update KB2533623): the old search order then stays.
bool RestrictLibrarySearch();

class Module {
public:
    Module() = default;
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Loads the library at the full path given, with its dependencies looked for beside it or
    // in the system folder.
    bool LoadFullPath(const std::wstring& path);
    // Loads the system's library fileName from the system folder, by full path.
    bool LoadSystem(const wchar_t* fileName);
    // Frees the library, if one is loaded.
    void Free();
    // The module handle; null while nothing is loaded.
    HMODULE Get() const { return module_; }
    // Address of the named export, or null when the library lacks it or none is loaded.
    FARPROC Find(const char* name) const;

private:
    HMODULE module_ = nullptr;
};

} // namespace fw
