// Owner of one loaded library, freed when the owner goes.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The program's own module, whose resources the program uses.
inline HMODULE ProgramModule() {
    return ::GetModuleHandleA(nullptr);
}

class Module {
public:
    Module() = default;
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Loads the library at the full path given, with its dependencies looked for beside it.
    bool LoadFullPath(const std::wstring& path);
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
