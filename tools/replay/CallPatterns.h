// The tool's operations as a recording shows them, so that a replay presses the same buttons.
#pragma once

#include "lvxio/Recording.h"

#include <cstdint>
#include <string>
#include <vector>

namespace replay {

// The operations the calls show, in order: "update" for a port session that sends data
// pieces, "verify" for one that reads the device ID or enters the diagnostic language.
std::vector<std::string> operations(const std::vector<lvxio::RecordedCall>& calls);

// The port list item the operator chose, among the recorded machine's port names: empty for
// "Auto selection", whose detection alone checks the device (CheckDeviceIDByLvx) before an
// operation's session; else the name that portId maps to the port the first operation's
// session opened. Empty too when no name maps to it.
std::string chosenPort(const std::vector<lvxio::RecordedCall>& calls,
                       const std::vector<std::string>& names,
                       uint16_t (*portId)(const std::string& name));

} // namespace replay
