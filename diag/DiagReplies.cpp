#include "diag/DiagReplies.h"

#include "diag/HexByteParser.h"

#include <array>
#include <cstring>

namespace diag {

namespace {

constexpr std::string_view MemoryReplyPrefix = "DIAG CD=12,";
constexpr std::string_view VersionReplyPrefix = "DIAG CD=E2,01,";
constexpr std::size_t MemoryValueOffset = 11;
constexpr std::size_t VersionFieldOffsets[] = {14, 17, 20};
// The printers that understand the diagnostic commands name this keyword in their device ID.
constexpr std::string_view JobLanguageKeyword = "ZKL";

// The two characters at offset, fewer where the reply ends, NUL-terminated for Parse.
std::array<char, 3> FieldAt(std::string_view reply, std::size_t offset) {
    std::array<char, 3> field = {};
    for (std::size_t i = 0; i < 2 && offset + i < reply.size(); ++i) {
        field[i] = reply[offset + i];
    }
    return field;
}

// Only at offset 0: the same characters further on do not count.
bool StartsWith(std::string_view reply, std::string_view prefix) {
    return reply.substr(0, prefix.size()) == prefix;
}

} // namespace

// memchr never looks past size.
std::string_view BoundedText(const char* buffer, std::size_t size) {
    const void* nul = std::memchr(buffer, '\0', size);
    const std::size_t length =
        nul == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(nul) - buffer);
    return std::string_view(buffer, length);
}

// The prefix fixes the value's place.
bool CheckMemoryReply(std::string_view reply, uint8_t& value) {
    if (!StartsWith(reply, MemoryReplyPrefix)) {
        return false;
    }
    const HexByteParser parser;
    return parser.Parse(FieldAt(reply, MemoryValueOffset).data(), value);
}

// The first field that fails ends the check; later ones are not parsed.
bool CheckVersionReply(std::string_view reply, uint8_t& first, uint8_t& second, uint8_t& third) {
    if (!StartsWith(reply, VersionReplyPrefix)) {
        return false;
    }
    const HexByteParser parser;
    uint8_t* const values[] = {&first, &second, &third};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!parser.Parse(FieldAt(reply, VersionFieldOffsets[i]).data(), *values[i])) {
            return false;
        }
    }
    return true;
}

// Anywhere in the text, not only at its start.
bool HasJobLanguageKeyword(std::string_view deviceId) {
    return deviceId.find(JobLanguageKeyword) != std::string_view::npos;
}

} // namespace diag
