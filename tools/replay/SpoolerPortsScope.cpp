#include "SpoolerPortsScope.h"

#include <stdexcept>

namespace replay {

namespace {

constexpr char PortsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

// The key's value names, in the order the registry gives them.
std::vector<std::string> valueNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD size = sizeof name;
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, size);
    }
}

} // namespace

SpoolerPortsScope::SpoolerPortsScope(const std::vector<std::string>& names) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, PortsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot open the spooler's ports key to set the recorded ports");
    }
    key_.reset(opened);
    saved_ = valueNames(key_.get());
    replaceWith(names);
}

SpoolerPortsScope::~SpoolerPortsScope() {
    replaceWith(saved_);
}

// Never an unnamed value: a spooler that finds one may loop for ever.
void SpoolerPortsScope::replaceWith(const std::vector<std::string>& names) const {
    for (const std::string& old : valueNames(key_.get())) {
        RegDeleteValueA(key_.get(), old.c_str());
    }
    for (const std::string& name : names) {
        if (!name.empty()) {
            RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""),
                           1);
        }
    }
}

} // namespace replay
