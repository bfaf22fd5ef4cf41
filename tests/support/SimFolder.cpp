#include "SimFolder.h"

#include <gtest/gtest.h>

namespace unittest {

SimFolder::SimFolder()
    : path_(simctl::makeTempFolder("corvane-unit").string() + "\\"),
      files_(simctl::SimFiles::in(path_)) {
    simctl::exportToEnvironment(files_);
}

// Best effort: a file still held open only leaves the folder behind.
SimFolder::~SimFolder() {
    simctl::clearEnvironment();
    simctl::removeTree(path_);
}

// The scenario must be on disk before the library reads it.
void SimFolder::Use(const simctl::Scenario& scenario) const {
    ASSERT_TRUE(scenario.write(files_.scenario));
}

// Parsed afresh from the log file.
std::vector<simctl::LogRecord> SimFolder::Calls() const {
    return simctl::callsOf(simctl::readLog(files_.log));
}

} // namespace unittest
