// What the update worker is handed: written by the window before the worker starts, read by the
// worker while it runs.
#pragma once

#include "fw/ProgressSink.h"
#include "portlib/PortTypes.h"

#include <atomic>
#include <cstdint>
#include <string>

struct UpdateJob {
    // Where the worker reports each piece, on the worker's thread; set before the worker starts.
    fw::ProgressSink* m_progress = nullptr;
    PortId m_portId = 0;
    // Full path of the update data file.
    std::wstring m_updateFilePath;
    // The worker stops at its next attempt once this is 1.
    std::atomic<int32_t> m_cancelRequested{0};
};
