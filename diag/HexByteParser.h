// Parses two upper-case hexadecimal digits into a byte.
#pragma once

class HexByteParser {
public:
    HexByteParser() = default;
    virtual ~HexByteParser() = default;
};
