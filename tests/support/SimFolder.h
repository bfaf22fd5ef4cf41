// A private folder for one test's simulator files (scenario, log, capture, state), with the
// simulator pointed at it through its environment variables while the object lives.
#pragma once

#include "SimControl.h"

#include <string>

namespace unittest {

class SimFolder {
public:
    // Makes a fresh folder under the temporary folder and points the simulator at it.
    SimFolder();
    // Clears the simulator's variables and removes the folder with its files.
    ~SimFolder();
    SimFolder(const SimFolder&) = delete;
    SimFolder& operator=(const SimFolder&) = delete;

    // The folder, with a trailing backslash.
    const std::string& Path() const { return path_; }
    // The simulator's files in it.
    const simctl::SimFiles& Files() const { return files_; }
    // Writes scenario as the simulator's scenario.
    void Use(const simctl::Scenario& scenario) const;
    // The entry point calls logged so far.
    std::vector<simctl::LogRecord> Calls() const;

private:
    std::string path_;
    simctl::SimFiles files_;
};

} // namespace unittest
