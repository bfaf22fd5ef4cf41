#include "sim/StateFile.h"

#include "lvxio/ByteText.h"
#include "lvxio/FileHandle.h"

namespace lvxsim {

// The stored versions.
std::map<PortId, NvmVersion> StateFile::read() const {
    std::string text;
    if (!lvxio::FileHandle::readAll(path_, text)) {
        return {};
    }
    return parse(text);
}

// Read, change, write back whole.
bool StateFile::store(PortId port, const NvmVersion& version) const {
    auto versions = read();
    versions[port] = version;
    return lvxio::FileHandle::writeAll(path_, format(versions));
}

// One "PORT VERSION" line each.
std::string StateFile::format(const std::map<PortId, NvmVersion>& versions) {
    std::string text;
    for (const auto& [port, version] : versions) {
        text += std::to_string(port) + " " + NvmImage::formatVersion(version) + "\n";
    }
    return text;
}

// Lines "PORT VERSION"; others are skipped.
std::map<PortId, NvmVersion> StateFile::parse(const std::string& text) {
    std::map<PortId, NvmVersion> versions;
    for (const std::string& line : lvxio::text::lines(text)) {
        const std::size_t space = line.find(' ');
        long long port = 0;
        NvmVersion version{};
        if (space != std::string::npos && lvxio::text::parseInteger(line.substr(0, space), port) &&
            port > 0 && port <= 0xFFFF && NvmImage::parseVersion(line.substr(space + 1), version)) {
            versions[static_cast<PortId>(port)] = version;
        }
    }
    return versions;
}

} // namespace lvxsim
