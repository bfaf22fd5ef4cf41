// The print spooler's port list of this Wine prefix, set for one test and put back afterwards.
// Wine's spooler lists the value names of HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports
// and reads them at every enumeration, in every process of the prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace portstest {

class RegistryPorts {
public:
    // Remembers the ports there are, then leaves exactly names (UTF-8).
    explicit RegistryPorts(const std::vector<std::string>& names);
    // Puts the remembered ports back, data and types included.
    ~RegistryPorts();
    RegistryPorts(const RegistryPorts&) = delete;
    RegistryPorts& operator=(const RegistryPorts&) = delete;

    // Leaves exactly names. A name must not be empty: Wine's spooler loops for ever on a
    // key that holds a default value. Throws when the key cannot be written.
    static void Set(const std::vector<std::string>& names);

private:
    // One value of the key as found.
    struct Value {
        std::wstring name;
        DWORD type = REG_SZ;
        std::vector<BYTE> data;
    };

    // Removes every value of the key.
    static void Clear(HKEY key);

    std::vector<Value> saved_;
};

} // namespace portstest
