#include "lvxio/ByteText.h"

namespace lvxio::text {

namespace {

constexpr char Digits[] = "0123456789ABCDEF";

// Value of one hex digit, or -1.
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

// Upper-case hex of the bytes.
std::string toHex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += Digits[b >> 4];
        hex += Digits[b & 0x0F];
    }
    return hex;
}

// Decodes hex digit pairs.
bool fromHex(std::string_view hex, std::string& bytes) {
    if (hex.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

// Quotes with C-style escapes so any byte survives a text line.
std::string quote(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (b < 0x20 || b >= 0x7F) {
                out += "\\x";
                out += Digits[b >> 4];
                out += Digits[b & 0x0F];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

// Reads one quoted string; \0 is accepted as a lone NUL, \xHH needs both digits.
bool unquote(std::string_view text, std::size_t& pos, std::string& bytes) {
    if (pos >= text.size() || text[pos] != '"') {
        return false;
    }
    bytes.clear();
    std::size_t i = pos + 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c != '\\') {
            bytes += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            return false;
        }
        const char e = text[i + 1];
        i += 2;
        switch (e) {
        case '\\':
            bytes += '\\';
            break;
        case '"':
            bytes += '"';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 't':
            bytes += '\t';
            break;
        case '0':
            bytes += '\0';
            break;
        case 'x': {
            if (i + 1 >= text.size()) {
                return false;
            }
            const int high = hexValue(text[i]);
            const int low = hexValue(text[i + 1]);
            if (high < 0 || low < 0) {
                return false;
            }
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

// Parses a whole decimal or 0x-hex integer; the digits after the sign and prefix must carry no
// sign of their own ("0x-1" is no number).
bool parseInteger(std::string_view text, long long& value) {
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long long magnitude = 0;
    if (!parseNumber(text, magnitude, base)) {
        return false;
    }
    const auto limit = static_cast<unsigned long long>(INT64_MAX);
    if (magnitude > limit + (negative ? 1u : 0u)) {
        return false;
    }
    value = negative ? static_cast<long long>(0ull - magnitude) : static_cast<long long>(magnitude);
    return true;
}

// "0x" and four upper-case hex digits.
std::string hex16(uint16_t value) {
    std::string out = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += Digits[(value >> shift) & 0x0F];
    }
    return out;
}

// Two upper-case hex digits.
std::string hex8(uint8_t value) {
    std::string out;
    out += Digits[value >> 4];
    out += Digits[value & 0x0F];
    return out;
}

// Parses exactly two hex digits.
bool parseHex8(std::string_view text, uint8_t& value) {
    if (text.size() != 2) {
        return false;
    }
    const int high = hexValue(text[0]);
    const int low = hexValue(text[1]);
    if (high < 0 || low < 0) {
        return false;
    }
    value = static_cast<uint8_t>(high * 16 + low);
    return true;
}

// Parses exactly four hex digits.
bool parseHex16(std::string_view text, uint16_t& value) {
    uint8_t high = 0;
    uint8_t low = 0;
    if (text.size() != 4 || !parseHex8(text.substr(0, 2), high) ||
        !parseHex8(text.substr(2, 2), low)) {
        return false;
    }
    value = static_cast<uint16_t>(high << 8 | low);
    return true;
}

// Splits at "\n" and drops a "\r" before it.
std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string line(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        result.push_back(std::move(line));
    }
    return result;
}

} // namespace lvxio::text
