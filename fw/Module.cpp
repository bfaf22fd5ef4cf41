#include "fw/Module.h"

namespace fw {

// Frees the library still held.
Module::~Module() {
    Free();
}

// Loads by full path only: the current directory never takes part in the search. The wide
// call, because the folder's name need not fit the ANSI code page.
bool Module::LoadFullPath(const std::wstring& path) {
    Free();
    module_ = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module_ != nullptr;
}

// Releases the library once.
void Module::Free() {
    if (module_ != nullptr) {
        ::FreeLibrary(module_);
        module_ = nullptr;
    }
}

// Looks the export up afresh on every call; no address is kept.
FARPROC Module::Find(const char* name) const {
    return module_ != nullptr ? ::GetProcAddress(module_, name) : nullptr;
}

} // namespace fw
