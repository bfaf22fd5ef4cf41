// Drives the program under test from outside: a fresh folder holding copies of the program and
// its companion files, the running process in it, and access to every other driver piece.
// Include this one header in a GUI test.
#pragma once

#include "AppProcess.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Input.h"
#include "Probe.h"
#include "TestFolder.h"
#include "Wait.h"
#include "Window.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace guitest {

// What goes into the folder and how the program starts.
struct DriverOptions {
    // Program file, copied from the binary folder.
    std::string program = "Corvane.exe";
    // Further files copied from the binary folder beside it.
    std::vector<std::string> companions = {"Lorvex.dll"};
    // Files written into the folder before the start: (name, contents).
    std::vector<std::pair<std::string, std::string>> files;
    // Variables added to the inherited environment.
    Environment environment;
    // Command-line arguments after the program path, in UTF-8.
    std::string arguments;
    // Standard output and error go to the folder's file of this name; empty: none is given.
    std::string outputFile;
};

class Driver {
public:
    // Makes the folder and fills it; label names the folder. The program is not started yet.
    explicit Driver(const std::string& label, DriverOptions options = {});
    // Kills the program if still running, then deletes the folder.
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Where the built binaries are: %GUITEST_BIN_DIR% if set, else the test program's folder.
    static std::string binaryFolder();

    // The test's folder.
    const TestFolder& folder() const { return folder_; }
    // Adds or replaces an environment variable for the start (paths inside the folder, say).
    void setEnvironment(const std::string& name, const std::string& value);
    // Starts the program in the folder; throws if it was started already.
    AppProcess& start();
    // The started program; throws if not started.
    AppProcess& process() const;
    // What the program wrote to its standard output so far (options' outputFile).
    std::string output() const;

private:
    DriverOptions options_;
    TestFolder folder_;
    // Declared after the folder so the process goes first.
    std::unique_ptr<AppProcess> process_;
};

} // namespace guitest
