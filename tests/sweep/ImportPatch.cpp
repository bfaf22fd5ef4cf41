#include "ImportPatch.h"

#include <windows.h>

#include <stdexcept>

namespace {

// True when two DLL names are the same but for case.
bool SameDll(const char* a, const std::string& b) {
    return ::lstrcmpiA(a, b.c_str()) == 0;
}

} // namespace

// A module may list one DLL under several descriptors: every matching slot is patched.
ImportPatch::ImportPatch(const std::string& dll, const std::string& function, void* replacement) {
    auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto* descriptor =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && descriptor->Name != 0; ++descriptor) {
        if (!SameDll(reinterpret_cast<const char*>(base + descriptor->Name), dll) ||
            descriptor->OriginalFirstThunk == 0) {
            continue;
        }
        const auto* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (function == reinterpret_cast<const char*>(byName->Name)) {
                slots_.push_back(reinterpret_cast<void**>(&slots->u1.Function));
            }
        }
    }
    if (slots_.empty()) {
        throw std::runtime_error("the test program imports no " + dll + "!" + function);
    }
    original_ = *slots_.front();
    for (void** slot : slots_) {
        if (!Write(slot, replacement)) {
            throw std::runtime_error("cannot make an import slot writable");
        }
    }
}

// Back to the system's function.
ImportPatch::~ImportPatch() {
    for (void** slot : slots_) {
        Write(slot, original_);
    }
}

// The table may sit in a read-only page once the loader is done with it.
bool ImportPatch::Write(void** slot, void* value) {
    DWORD previous = 0;
    if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        return false;
    }
    *slot = value;
    ::VirtualProtect(slot, sizeof *slot, previous, &previous);
    return true;
}
