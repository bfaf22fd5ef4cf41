// The NVM update image the virtual printer accepts, and the NVM version type.
//
// Layout (little-endian): 8-byte magic "CORVNVM\x1A", version (3 bytes) and one zero byte,
// payload length (4 bytes), payload, then the CRC-32 of everything before it (4 bytes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lvxsim {

// Three NVM version bytes, written "01.00.05" (each part two hex digits).
using NvmVersion = std::array<uint8_t, 3>;

class NvmImage {
public:
    static constexpr std::string_view Magic{"CORVNVM\x1A", 8};
    static constexpr std::size_t HeaderSize = 16;
    static constexpr std::size_t TrailerSize = 4;
    // Larger claimed payloads are taken as noise, not as an image.
    static constexpr uint32_t MaxPayload = 16u * 1024 * 1024;

    // A complete image of the given version with payloadSize deterministic payload bytes.
    static std::string build(const NvmVersion& version, uint32_t payloadSize);
    // "01.01.06".
    static std::string formatVersion(const NvmVersion& version);
    // Parses "01.01.06" (two hex digits a part); false on anything else.
    static bool parseVersion(std::string_view text, NvmVersion& version);
    // Deterministic bytes for payloads and test files; the same size and seed give the same bytes.
    static std::string patternBytes(std::size_t size, uint32_t seed);
};

} // namespace lvxsim
