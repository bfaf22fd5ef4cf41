// Coverage builds only (CORVANE_COVERAGE): the GUI tests end the program with TerminateProcess,
// which writes no gcov counts. Before it kills, the test driver signals the event
// "Corvane.CoverageDump.<process id>"; the counts so far are written and cleared, and
// "Corvane.CoverageDumped.<process id>" tells the driver it may kill.
#pragma once

#include "fw/UniqueHandle.h"

class CoverageDump {
public:
    // Makes the two events and starts the thread that waits for the request.
    CoverageDump();
    // Stops the thread; the counts of a normal exit are written by gcov itself.
    ~CoverageDump();
    CoverageDump(const CoverageDump&) = delete;
    CoverageDump& operator=(const CoverageDump&) = delete;

private:
    static DWORD WINAPI Serve(void* self);

    fw::UniqueHandle request_;
    fw::UniqueHandle done_;
    fw::UniqueHandle stop_;
    fw::UniqueHandle thread_;
};
