// Running CRC-32 (the common reflected 0xEDB88320 polynomial) over a byte stream.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvxio {

class Crc32 {
public:
    // Adds bytes to the running value.
    void update(const void* data, std::size_t size);
    // The CRC of everything added so far.
    uint32_t value() const { return ~state_; }
    // Starts over.
    void reset() { state_ = 0xFFFFFFFFu; }

private:
    uint32_t state_ = 0xFFFFFFFFu;
};

} // namespace lvxio
