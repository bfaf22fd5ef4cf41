// Owner of one open registry key, closed when the owner goes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace guitest {

class RegistryKey {
public:
    // Creates or opens root\path for reading and writing; check valid() afterwards.
    RegistryKey(HKEY root, const std::string& path);
    // Closes the key.
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // True when the key is open.
    bool valid() const { return key_ != nullptr; }
    // Sets a string value; false on failure.
    bool setString(const std::string& name, const std::string& value) const;
    // Sets a DWORD value; false on failure.
    bool setDword(const std::string& name, DWORD value) const;
    // A DWORD value; none when it is missing or of another type.
    std::optional<DWORD> dword(const std::string& name) const;
    // Deletes a value; false on failure.
    bool remove(const std::string& name) const;

private:
    HKEY key_ = nullptr;
};

} // namespace guitest
