// Reads what processes write with OutputDebugStringA, the way a debug viewer does: the shared
// block "DBWIN_BUFFER" and the events "DBWIN_BUFFER_READY" and "DBWIN_DATA_READY". One viewer
// at a time per session; lines written before it exists are not seen.
#pragma once

#include "fw/UniqueHandle.h"
#include "Wait.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace guitest {

// One line as a process wrote it, its line end removed.
struct DebugLine {
    DWORD processId;
    std::string text;
};

class DebugViewer {
public:
    // Takes the viewer's place and starts reading; throws when another viewer has it.
    DebugViewer();
    // Stops reading; writers find no viewer afterwards.
    ~DebugViewer();
    DebugViewer(const DebugViewer&) = delete;
    DebugViewer& operator=(const DebugViewer&) = delete;

    // Every line read so far, oldest first.
    std::vector<DebugLine> lines() const;
    // The texts of the lines from one process that begin with prefix.
    std::vector<std::string> linesOf(DWORD processId, const std::string& prefix) const;
    // Waits for a line from processId that contains part, and gives its text.
    std::string waitForLine(DWORD processId, const std::string& part,
                            Millis limit = DefaultTimeout) const;

private:
    static DWORD WINAPI Reader(void* self);

    // Unmaps the shared block's view.
    struct ViewRelease {
        void operator()(const BYTE* view) const { ::UnmapViewOfFile(view); }
    };

    fw::UniqueHandle mapping_;
    std::unique_ptr<const BYTE, ViewRelease> block_;
    fw::UniqueHandle bufferReady_;
    fw::UniqueHandle dataReady_;
    fw::UniqueHandle stop_;
    fw::UniqueHandle thread_;
    mutable CRITICAL_SECTION lock_;
    std::vector<DebugLine> lines_;
};

} // namespace guitest
