// NVM versions that printers took from images, kept in a small text file so that later
// processes see them: one "PORT VERSION" line per printer, e.g. "1152 01.01.06".
#pragma once

#include "portlib/PortTypes.h"
#include "sim/NvmImage.h"

#include <map>
#include <string>

namespace lvxsim {

class StateFile {
public:
    // A state file at path.
    explicit StateFile(std::string path) : path_(std::move(path)) {}

    // The stored versions; empty when the file is missing.
    std::map<PortId, NvmVersion> read() const;
    // Stores one printer's version, keeping the others.
    bool store(PortId port, const NvmVersion& version) const;
    // The file's path.
    const std::string& path() const { return path_; }
    // Text of a state file holding versions.
    static std::string format(const std::map<PortId, NvmVersion>& versions);
    // Versions in a state file's text; lines that do not fit are skipped.
    static std::map<PortId, NvmVersion> parse(const std::string& text);

private:
    std::string path_;
};

} // namespace lvxsim
