#include "SimFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace unittest {

// Unique per process and per object, so tests never share files.
SimFolder::SimFolder() {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "corvane-unit-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    ::CreateDirectoryA(path_.c_str(), nullptr);
    files_ = simctl::SimFiles::in(path_);
    simctl::exportToEnvironment(files_);
}

// Best effort: a file still held open only leaves the folder behind.
SimFolder::~SimFolder() {
    simctl::clearEnvironment();
    WIN32_FIND_DATAA found;
    const std::string pattern = path_ + "*";
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                ::DeleteFileA((path_ + found.cFileName).c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path_.c_str());
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
