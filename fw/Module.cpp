#include "fw/Module.h"

namespace fw {

// Frees the library still held.
Module::~Module() {
    Free();
}

// Loads by full path only: the current directory never takes part in the search.
bool Module::LoadFullPath(const char* path) {
    Free();
    module_ = ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
