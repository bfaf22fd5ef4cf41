// Owner of one open registry key, closed when the owner goes.
#pragma once

#include <windows.h>

#include <string>

namespace guitest {

class RegistryKey {
public:
    // Creates or opens root\path for writing; check valid() afterwards.
    RegistryKey(HKEY root, const std::string& path);
    // Closes the key.
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // True when the key is open.
    bool valid() const { return key_ != nullptr; }
    // Sets a string value; false on failure.
    bool setString(const std::string& name, const std::string& value) const;

private:
    HKEY key_ = nullptr;
};

} // namespace guitest
