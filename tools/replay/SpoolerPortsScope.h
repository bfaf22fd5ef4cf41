// The spooler's ports of this (Wine) machine set to a recorded machine's for one replay, and put
// back as they were afterwards. The spooler lists the value names of one registry key.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace replay {

class SpoolerPortsScope {
public:
    // Makes the key hold exactly names; throws runtime_error when the key cannot be written.
    explicit SpoolerPortsScope(const std::vector<std::string>& names);
    // Puts back the names the key held before.
    ~SpoolerPortsScope();
    SpoolerPortsScope(const SpoolerPortsScope&) = delete;
    SpoolerPortsScope& operator=(const SpoolerPortsScope&) = delete;

private:
    struct KeyCloser {
        void operator()(HKEY key) const { RegCloseKey(key); }
    };
    // Replaces every value of the key with an empty string value per name.
    void replaceWith(const std::vector<std::string>& names) const;

    std::unique_ptr<HKEY__, KeyCloser> key_;
    std::vector<std::string> saved_;
};

} // namespace replay
