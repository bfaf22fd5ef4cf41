#include "RegistryPorts.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

namespace portstest {

namespace {

constexpr wchar_t PortsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// Longest value name the registry allows, terminator included.
constexpr DWORD MaxValueName = 16384;

// An open registry key, closed when it goes.
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&::RegCloseKey)>;

// Opens (creating if need be) the ports key for reading and writing; throws on failure.
KeyHandle OpenPortsKey() {
    HKEY key = nullptr;
    const LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, PortsKey, 0, nullptr, 0,
                                          KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open the spooler's ports key: " + std::to_string(status));
    }
    return KeyHandle(key, &::RegCloseKey);
}

// UTF-8 to UTF-16, so that names outside the ANSI code page survive.
std::wstring Wide(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        throw std::runtime_error("port name is not UTF-8: " + text);
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

// Adds one port: a REG_SZ value with empty data, as Wine's own ports have.
void AddPort(HKEY key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    const LONG status =
        ::RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot add a port: " + std::to_string(status));
    }
}

} // namespace

// Reads every value with the largest sizes the key reports.
RegistryPorts::RegistryPorts(const std::vector<std::string>& names) {
    const KeyHandle key = OpenPortsKey();
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longestName, &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < count; ++i) {
        Value value;
        std::wstring name(longestName + 1, L'\0');
        DWORD nameLength = longestName + 1;
        value.data.resize(longestData);
        DWORD dataSize = longestData;
        if (::RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &value.type,
                            value.data.data(), &dataSize) != ERROR_SUCCESS) {
            continue;
        }
        value.name = name.substr(0, nameLength);
        value.data.resize(dataSize);
        saved_.push_back(value);
    }
    Set(names);
}

// Best effort: a destructor must not throw.
RegistryPorts::~RegistryPorts() {
    try {
        const KeyHandle key = OpenPortsKey();
        Clear(key.get());
        for (const Value& value : saved_) {
            AddPort(key.get(), value.name, value.type, value.data);
        }
    } catch (const std::exception&) {
    }
}

// Clears first, so the names are exactly the list.
void RegistryPorts::Set(const std::vector<std::string>& names) {
    const KeyHandle key = OpenPortsKey();
    Clear(key.get());
    const std::vector<BYTE> empty(sizeof(wchar_t), 0);
    for (const std::string& name : names) {
        if (name.empty()) {
            throw std::invalid_argument("a port needs a name");
        }
        AddPort(key.get(), Wide(name), REG_SZ, empty);
    }
}

// Index 0 again and again: each deletion moves the rest up.
void RegistryPorts::Clear(HKEY key) {
    for (;;) {
        std::wstring name(MaxValueName, L'\0');
        DWORD length = MaxValueName;
        if (::RegEnumValueW(key, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        if (::RegDeleteValueW(key, name.c_str()) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot remove a port");
        }
    }
}

} // namespace portstest
