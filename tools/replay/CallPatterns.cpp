#include "CallPatterns.h"

#include "lvxio/ByteText.h"
#include "lvxio/EntryPoints.h"

namespace replay {

// Port detection opens ports too, but only checks the device: Verify reads its ID and enters
// the language, Update sends the data file.
std::vector<std::string> operations(const std::vector<lvxio::RecordedCall>& calls) {
    // "@ZKL ENTER" in hex.
    static const std::string enter = lvxio::text::toHex("@ZKL ENTER");
    std::vector<std::string> found;
    std::string current;
    for (const lvxio::RecordedCall& call : calls) {
        if (call.entry == lvxio::PortOpenEntry.name) {
            current.clear();
            continue;
        }
        if (!current.empty()) {
            continue;
        }
        if (call.entry == lvxio::SendEntry.name && lvxio::Recording::isPiece(call)) {
            current = "update";
        } else if (call.entry == lvxio::GetDeviceIdEntry.name ||
                   (call.entry == lvxio::SendEntry.name &&
                    call.arg("data").find(enter) != std::string::npos)) {
            current = "verify";
        }
        if (!current.empty()) {
            found.push_back(current);
        }
    }
    return found;
}

std::string chosenPort(const std::vector<lvxio::RecordedCall>& calls,
                       const std::vector<std::string>& names,
                       uint16_t (*portId)(const std::string& name)) {
    std::string opened;
    for (const lvxio::RecordedCall& call : calls) {
        if (call.entry == lvxio::CheckDeviceIdEntry.name) {
            return {};
        }
        if (call.entry == lvxio::PortOpenEntry.name) {
            opened = call.arg(std::string(lvxio::PortOpenEntry.args[0]));
        } else if (!opened.empty() && operations({call}).size() == 1) {
            break;
        }
    }
    for (const std::string& name : names) {
        if (!opened.empty() && std::to_string(portId(name)) == opened) {
            return name;
        }
    }
    return {};
}

} // namespace replay
