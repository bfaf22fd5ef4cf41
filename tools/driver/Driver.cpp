#include "Driver.h"

#include "Files.h"
#include "WineSettings.h"

#include <windows.h>

#include <stdexcept>

namespace guitest {

namespace {

// Text of a code page (CP_UTF8 for arguments, CP_ACP for the folder's paths) in UTF-16.
std::wstring widen(const std::string& text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

} // namespace

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

// One program per driver: a second start would hide a leaked first one. The program's standard
// output is a file of the folder, inherited; this process's handle goes once it has started.
AppProcess& Driver::start() {
    if (process_) {
        throw std::runtime_error("the program was started already");
    }
    Launch launch;
    launch.arguments = widen(options_.arguments, CP_UTF8);
    fw::UniqueHandle output;
    if (!options_.outputFile.empty()) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        output.Reset(CreateFileW(widen(folder_.file(options_.outputFile), CP_ACP).c_str(),
                                 GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output) {
            throw std::runtime_error("cannot make " + options_.outputFile);
        }
        launch.standardOutput = output.Get();
    }
    process_ =
        std::make_unique<AppProcess>(widen(folder_.file(options_.program), CP_ACP),
                                     widen(folder_.path(), CP_ACP), options_.environment, launch);
    return *process_;
}

std::string Driver::output() const {
    return folder_.readFile(options_.outputFile);
}

// Asking before start() is a test bug.
AppProcess& Driver::process() const {
    if (!process_) {
        throw std::runtime_error("the program has not been started");
    }
    return *process_;
}

} // namespace guitest
