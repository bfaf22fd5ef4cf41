#include "lvxio/EntryPoints.h"

#include <algorithm>

namespace lvxio {

namespace {

constexpr const EntryPoint* All[] = {&PortOpenEntry,       &PortCloseEntry,
                                     &CheckDeviceIdEntry,  &GetModelNameEntry,
                                     &GetIoErrorCodeEntry, &SendEntry,
                                     &ReceiveEntry,        &GetDeviceIdEntry,
                                     &SetPortTimeOutEntry, &GetPreviousSentDataSizeEntry,
                                     &SetReceiveTypeEntry};

template <std::size_t N>
bool holds(const std::array<std::string_view, N>& keys, std::string_view key) {
    return !key.empty() && std::find(keys.begin(), keys.end(), key) != keys.end();
}

} // namespace

bool EntryPoint::hasArg(std::string_view key) const {
    return holds(args, key);
}

bool EntryPoint::hasOutput(std::string_view key) const {
    return holds(outputs, key) || key == MissingKey;
}

const EntryPoint* findEntryPoint(std::string_view name) {
    const auto found = std::find_if(std::begin(All), std::end(All),
                                    [&](const EntryPoint* entry) { return entry->name == name; });
    return found == std::end(All) ? nullptr : *found;
}

} // namespace lvxio
