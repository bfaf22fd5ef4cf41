// The byte parser: the first input byte is whatever the value held before, the rest is the
// NUL-terminated text. Accepted exactly with two upper-case digits first, whatever the value
// held; and every byte printed as two upper-case digits reads back as itself.
#include "ParserRules.h"

#include "diag/HexByteParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

// Parses printed from an exact block, the value holding leftover first.
bool ParsePrinted(const HexByteParser& parser, const char* format, uint8_t byte, uint8_t leftover,
                  uint8_t& value) {
    char printed[3] = {};
    std::snprintf(printed, sizeof printed, format, static_cast<unsigned>(byte));
    const auto block = rules::ExactCopy(reinterpret_cast<const uint8_t*>(printed), 2, true);
    value = leftover;
    return parser.Parse(block.get(), value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t leftover = data[0];
    const HexByteParser parser;

    const auto text = rules::ExactCopy(data + 1, size - 1, true);
    uint8_t value = leftover;
    const bool accepted = parser.Parse(text.get(), value);
    const std::optional<uint8_t> want = rules::HexField(rules::TextOf(data + 1, size - 1), 0);
    rules::Require(accepted == want.has_value(), "accepted exactly with two upper-case digits");
    if (accepted) {
        rules::Require(value == *want, "the value is the digits' byte");
    }

    // The round trip, with a leftover that differs from the byte.
    uint8_t back = 0;
    rules::Require(ParsePrinted(parser, "%02X", leftover, static_cast<uint8_t>(~leftover), back) &&
                       back == leftover,
                   "a byte printed in upper case reads back as itself");
    const bool hasLetter = (leftover >> 4) > 9 || (leftover & 0x0F) > 9;
    rules::Require(ParsePrinted(parser, "%02x", leftover, leftover, back) == !hasLetter,
                   "lower-case letters are refused");
    return 0;
}
