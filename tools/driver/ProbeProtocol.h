// What the test driver and the probe hook inside the program under test share: the name of a
// memory block per target process, its layout, and the request message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace guitest::probe {

// Registered message that makes the hook act on the block's request.
inline constexpr char RequestMessageName[] = "guitest.probe.request";
// Undecorated export name of the hook procedure (the DLL links with --kill-at).
inline constexpr char HookProcName[] = "GuiTestProbeHook";
// File name of the probe DLL, beside the test program.
inline constexpr char DllFileName[] = "guitest_probe.dll";

// What the driver asks for.
enum class Request : uint32_t { None = 0, SystemMenu = 1, Icon = 2, TextRoom = 3 };
// How the hook answered.
enum class Status : uint32_t { Pending = 0, Done = 1, Failed = 2 };

// Icon of a static control as the hook sees it, compared with the shared system icons.
enum class IconCode : int32_t {
    None = 0,
    Error = 1,
    Warning = 2,
    Information = 3,
    Question = 4,
    Other = 5
};

// Size of the text area: ample for a system menu listing.
inline constexpr size_t TextSize = 8192;

// Layout of the shared block; fixed-width fields so i686 and x86_64 agree.
struct Block {
    Request request;
    Status status;
    uint64_t target;
    int32_t value;
    uint32_t textLength;
    char text[TextSize];
};

// One block per target process, named after its id.
inline std::string blockName(DWORD processId) {
    return "guitest.probe.block." + std::to_string(processId);
}

} // namespace guitest::probe
