#include "diag/HexByteParser.h"

#include <cstdio>
#include <cstring>

// Scanning alone would take a blank, a sign, one digit or lower case; printing the byte back
// and comparing leaves exactly two upper-case digits. strncmp stops at the text's NUL.
bool HexByteParser::Parse(const char* text, uint8_t& value) const {
    unsigned int number = 0;
    if (std::sscanf(text, "%02X", &number) == 1) {
        value = static_cast<uint8_t>(number);
    }
    char printed[3] = {};
    std::snprintf(printed, sizeof printed, "%02X", static_cast<unsigned int>(value));
    return std::strncmp(text, printed, 2) == 0;
}
