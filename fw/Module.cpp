#include "fw/Module.h"

#include "fw/Operations.h"
#include "fw/Trace.h"

namespace fw {

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Absent from Windows 7 without KB2533623, the update that also brings the LOAD_LIBRARY_SEARCH_*
// flags: LoadLibraryExW refuses those flags (ERROR_INVALID_PARAMETER) where it is missing.
SetDefaultDllDirectoriesFn FindSetDefaultDllDirectories() {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

// The library's own folder and the system folder, where the platform knows the flags; else the
// altered search path, which also starts in the library's folder.
DWORD FullPathFlags() {
    return FindSetDefaultDllDirectories() != nullptr
               ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
               : LOAD_WITH_ALTERED_SEARCH_PATH;
}

} // namespace

bool RestrictLibrarySearch() {
    const SetDefaultDllDirectoriesFn restrict = FindSetDefaultDllDirectories();
    if (restrict == nullptr) {
        FailureTrace(op::LibrarySearch, "SetDefaultDllDirectories").Note("not in kernel32");
        return false;
    }
    if (!restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        FailureTrace(op::LibrarySearch, "SetDefaultDllDirectories").LastError();
        return false;
    }
    return true;
}

Module::~Module() {
    Free();
}

// Loads by full path only: the current directory never takes part in the search. The wide
// call, because the folder's name need not fit the ANSI code page.
bool Module::LoadFullPath(const std::wstring& path) {
    Free();
    module_ = ::LoadLibraryExW(path.c_str(), nullptr, FullPathFlags());
    return module_ != nullptr;
}

// A system library is not a KnownDLL by right: by name it could come from the program's folder.
bool Module::LoadSystem(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        FailureTrace(op::SystemFolder, "GetSystemDirectoryW").Result(length).LastError();
        return false;
    }
    return LoadFullPath(std::wstring(folder, length) + L"\\" + fileName);
}

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
