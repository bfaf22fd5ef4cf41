#include "ports/PortNames.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Prefixes of the ports worth listing and trying.
constexpr const char* CandidatePrefixes[] = {"USB", "QRUSB", "LPT"};

constexpr PortId UsbBase = 1024;
constexpr PortId LptBase = 1151;

// Offset of the first pattern occurrence that starts on a character boundary; -1 if none.
// Patterns are ASCII, so they can only match whole single-byte characters.
std::ptrdiff_t FindAtCharacter(const char* text, const char* pattern,
                               LeadBytePredicate isLeadByte) {
    const std::size_t textLength = std::strlen(text);
    const std::size_t patternLength = std::strlen(pattern);
    std::size_t i = 0;
    while (i + patternLength <= textLength) {
        if (std::memcmp(text + i, pattern, patternLength) == 0) {
            return static_cast<std::ptrdiff_t>(i);
        }
        // A lead byte at the very end has no trail byte to take along.
        i += isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < textLength ? 2 : 1;
    }
    return -1;
}

// White space as the classic decimal conversion skips it (the "C" locale's).
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The classic decimal conversion: white space, a sign, digits up to the first non-digit, 0
// without digits. Only the low 16 bits are ever used, so it counts modulo 2^32 where the
// run-time's would overflow; the low 16 bits come out the same as a wrapping conversion's.
uint32_t DecimalValue(const char* text) {
    while (IsSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    }
    return negative ? 0u - value : value;
}

} // namespace

// Compares only the prefix's own bytes, so "USB" matches "USB001" and "USB" alike.
bool IsCandidatePortName(const char* name) {
    if (name == nullptr) {
        return false;
    }
    for (const char* prefix : CandidatePrefixes) {
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) {
            return true;
        }
    }
    return false;
}

// The system's code page.
PortId PortIdFromText(const char* text) {
    return PortIdFromText(text, IsAnsiLeadByte);
}

// "USB" is looked for over the whole text first, so "QRUSB2" and "LPT1: (X USB2)" map by it.
PortId PortIdFromText(const char* text, LeadBytePredicate isLeadByte) {
    if (text == nullptr) {
        return 0;
    }
    const std::ptrdiff_t usb = FindAtCharacter(text, "USB", isLeadByte);
    if (usb >= 0) {
        return static_cast<PortId>(UsbBase + DecimalValue(text + usb + 3));
    }
    const std::ptrdiff_t lpt = FindAtCharacter(text, "LPT", isLeadByte);
    if (lpt >= 0) {
        return static_cast<PortId>(LptBase + DecimalValue(text + lpt + 3));
    }
    return 0;
}
