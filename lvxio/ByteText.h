// Byte strings as text: hex, C-style quoted strings and numbers, as the scenario and log use them.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace lvxio::text {

// Upper-case hex of the bytes, two digits each, no separators.
std::string toHex(std::string_view bytes);
// Decodes hex digits (either case) pairwise; false on an odd count or another character.
bool fromHex(std::string_view hex, std::string& bytes);
// The bytes in double quotes, with \\ \" \r \n \t \0 and \xHH escapes for the rest.
std::string quote(std::string_view bytes);
// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
bool unquote(std::string_view text, std::size_t& pos, std::string& bytes);
// Parses a decimal (optionally negative) or 0x-prefixed hex integer, all of text; false when it
// does not fit in a long long.
bool parseInteger(std::string_view text, long long& value);
// Parses all of text as digits of base into T's own width, with a minus sign only for a signed
// T; false for anything else or a number that does not fit.
template <class T> bool parseNumber(std::string_view text, T& value, int base = 10) {
    if (text.empty() || text[0] == '+') {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return error == std::errc() && stop == end;
}
// "0x" and four upper-case hex digits.
std::string hex16(uint16_t value);
// Two upper-case hex digits.
std::string hex8(uint8_t value);
// Parses exactly two hex digits (upper or lower case).
bool parseHex8(std::string_view text, uint8_t& value);
// Parses exactly four hex digits (upper or lower case).
bool parseHex16(std::string_view text, uint16_t& value);

// The lines of text, without their "\n" or "\r\n"; a last line without an ending counts.
std::vector<std::string> lines(std::string_view text);

} // namespace lvxio::text
