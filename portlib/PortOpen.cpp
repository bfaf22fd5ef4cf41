#include "portlib/PortOpen.h"

#include "fw/Trace.h"
#include "portlib/LorvexApi.h"

#include <string>

PortResult OpenPort(PortLibrary& ports, PortId port, const char* operation) {
    const PortResult opened = ports.Open(port);
    if (opened != PortOk) {
        fw::FailureTrace(operation, lvx::PortOpenName)
            .PortResult(opened)
            .Note("port " + std::to_string(port));
    }
    return opened;
}
