// What a recording holds of each entry point: its exported name, the keys of the arguments the
// caller gave and the keys of the outputs the library gave back. The recorder writes these keys
// and the player reads them, so a field added here is added to both.
#pragma once

#include "portlib/LorvexApi.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace lvxio {

struct EntryPoint {
    std::string_view name;
    // In the order they are written; a send gives either data (a command) or crc, head and tail
    // (a data piece) after its count.
    std::array<std::string_view, 5> args;
    std::array<std::string_view, 2> outputs;

    // Whether key is one of the arguments or outputs.
    bool hasArg(std::string_view key) const;
    bool hasOutput(std::string_view key) const;
};

// An output of every entry point: the real library lacked it, so the recorder answered.
inline constexpr std::string_view MissingKey = "missing";

inline constexpr EntryPoint PortOpenEntry{lvx::PortOpenName, {"port"}, {}};
inline constexpr EntryPoint PortCloseEntry{lvx::PortCloseName, {}, {}};
inline constexpr EntryPoint CheckDeviceIdEntry{lvx::CheckDeviceIdName, {}, {}};
inline constexpr EntryPoint GetModelNameEntry{lvx::GetModelNameName, {}, {"text"}};
inline constexpr EntryPoint GetIoErrorCodeEntry{lvx::GetIoErrorCodeName, {}, {"detail"}};
inline constexpr EntryPoint SendEntry{
    lvx::SendName, {"count", "data", "crc", "head", "tail"}, {"flag"}};
inline constexpr EntryPoint ReceiveEntry{lvx::ReceiveName, {"count"}, {"got", "data"}};
inline constexpr EntryPoint GetDeviceIdEntry{lvx::GetDeviceIdName, {"size"}, {"text"}};
inline constexpr EntryPoint SetPortTimeOutEntry{
    lvx::SetPortTimeOutName, {"first", "second", "third", "fourth", "fifth"}, {}};
inline constexpr EntryPoint GetPreviousSentDataSizeEntry{
    lvx::GetPreviousSentDataSizeName, {}, {"sent"}};
inline constexpr EntryPoint SetReceiveTypeEntry{lvx::SetReceiveTypeName, {"type"}, {}};

// The entry point of that name, or null.
const EntryPoint* findEntryPoint(std::string_view name);

} // namespace lvxio
