#include "RegistryKey.h"

namespace guitest {

// Volatile would vanish with the wineserver; a plain key survives for the next test program.
RegistryKey::RegistryKey(HKEY root, const std::string& path) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &opened,
                        nullptr) == ERROR_SUCCESS) {
        key_ = opened;
    }
}

// Closes if open.
RegistryKey::~RegistryKey() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
    }
}

// The stored size counts the terminating NUL.
bool RegistryKey::setString(const std::string& name, const std::string& value) const {
    return key_ != nullptr && RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(value.c_str()),
                                             static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::setDword(const std::string& name, DWORD value) const {
    return key_ != nullptr &&
           RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

std::optional<DWORD> RegistryKey::dword(const std::string& name) const {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (key_ == nullptr ||
        RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

bool RegistryKey::remove(const std::string& name) const {
    return key_ != nullptr && RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
}

} // namespace guitest
