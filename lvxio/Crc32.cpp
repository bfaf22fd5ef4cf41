#include "lvxio/Crc32.h"

#include <array>

namespace lvxio {

namespace {

// The 256-entry table, built once.
const std::array<uint32_t, 256>& table() {
    static const std::array<uint32_t, 256> entries = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    return entries;
}

} // namespace

// Adds bytes to the running value.
void Crc32::update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    const auto& t = table();
    for (std::size_t i = 0; i < size; ++i) {
        state_ = t[(state_ ^ bytes[i]) & 0xFF] ^ (state_ >> 8);
    }
}

} // namespace lvxio
