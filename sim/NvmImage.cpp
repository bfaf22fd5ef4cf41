#include "sim/NvmImage.h"

#include "lvxio/ByteText.h"
#include "lvxio/Crc32.h"

namespace lvxsim {

namespace {

// Appends a 32-bit value, least significant byte first.
void appendLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

} // namespace

// A complete image: header, payload seeded by the version, CRC trailer.
std::string NvmImage::build(const NvmVersion& version, uint32_t payloadSize) {
    std::string image(Magic);
    image += static_cast<char>(version[0]);
    image += static_cast<char>(version[1]);
    image += static_cast<char>(version[2]);
    image += '\0';
    appendLe32(image, payloadSize);
    const uint32_t seed = 0x4E564D00u | version[0] << 16 | version[1] << 8 | version[2];
    image += patternBytes(payloadSize, seed);
    lvxio::Crc32 crc;
    crc.update(image.data(), image.size());
    appendLe32(image, crc.value());
    return image;
}

// "01.01.06".
std::string NvmImage::formatVersion(const NvmVersion& version) {
    return lvxio::text::hex8(version[0]) + "." + lvxio::text::hex8(version[1]) + "." +
           lvxio::text::hex8(version[2]);
}

// Parses "01.01.06".
bool NvmImage::parseVersion(std::string_view text, NvmVersion& version) {
    if (text.size() != 8 || text[2] != '.' || text[5] != '.') {
        return false;
    }
    NvmVersion parsed{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!lvxio::text::parseHex8(text.substr(i * 3, 2), parsed[i])) {
            return false;
        }
    }
    version = parsed;
    return true;
}

// xorshift32 output, one byte per step; seed 0 is replaced since it would stay 0.
std::string NvmImage::patternBytes(std::size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed != 0 ? seed : 0x9E3779B9u;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}

} // namespace lvxsim
