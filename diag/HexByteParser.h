// Parses two upper-case hexadecimal digits into a byte.
#pragma once

#include <cstdint>

class HexByteParser {
public:
    HexByteParser() = default;
    virtual ~HexByteParser() = default;
    HexByteParser(const HexByteParser&) = delete;
    HexByteParser& operator=(const HexByteParser&) = delete;

    // True when the NUL-terminated text begins with two upper-case hexadecimal digits; value
    // then holds the byte they denote. After a failure value may have changed.
    bool Parse(const char* text, uint8_t& value) const;
};
