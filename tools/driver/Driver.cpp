#include "Driver.h"

#include "Files.h"
#include "WineSettings.h"

#include <windows.h>

#include <stdexcept>

namespace guitest {

// Copies what the options name; a missing binary fails the test at once.
Driver::Driver(const std::string& label, DriverOptions options)
    : options_(std::move(options)), folder_(label) {
    useUnmanagedWindows(options_.program);
    const std::string source = binaryFolder();
    folder_.copyIn(source + "\\" + options_.program, options_.program);
    for (const std::string& companion : options_.companions) {
        folder_.copyIn(source + "\\" + companion, companion);
    }
    for (const auto& [name, contents] : options_.files) {
        folder_.writeFile(name, contents);
    }
}

// Members go in reverse order: the process is killed before its folder is deleted.
Driver::~Driver() = default;

// The environment wins so the tests can run against binaries built elsewhere.
std::string Driver::binaryFolder() {
    char buffer[MAX_PATH] = {};
    const DWORD fromEnvironment = GetEnvironmentVariableA("GUITEST_BIN_DIR", buffer, MAX_PATH);
    if (fromEnvironment > 0 && fromEnvironment < MAX_PATH) {
        return std::string(buffer, fromEnvironment);
    }
    const std::string folder = programFolder();
    return folder.substr(0, folder.size() - 1);
}

// Replaces an earlier value of the same name, as the started program would see only one.
void Driver::setEnvironment(const std::string& name, const std::string& value) {
    for (auto& [key, existing] : options_.environment) {
        if (_stricmp(key.c_str(), name.c_str()) == 0) {
            existing = value;
            return;
        }
    }
    options_.environment.emplace_back(name, value);
}

// One program per driver: a second start would hide a leaked first one.
AppProcess& Driver::start() {
    if (process_) {
        throw std::runtime_error("the program was started already");
    }
    process_ = std::make_unique<AppProcess>(folder_.file(options_.program), folder_.path(),
                                            options_.environment, options_.arguments);
    return *process_;
}

// Asking before start() is a test bug.
AppProcess& Driver::process() const {
    if (!process_) {
        throw std::runtime_error("the program has not been started");
    }
    return *process_;
}

} // namespace guitest
