#include "ParserRules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace rules {

namespace {

// The ASCII keywords a port name is searched for, in order.
struct Keyword {
    const char* text;
    uint32_t base;
};
constexpr Keyword PortKeywords[] = {{"USB", 1024}, {"LPT", 1151}};

// Only upper case counts.
bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int DigitValue(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// What isspace gives in the "C" locale.
bool IsClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Lead bytes of code page 932.
bool ShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lead bytes of code pages 936, 949 and 950.
bool GbkLead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// The harshest rule: any byte with its top bit set takes the next byte along.
bool HighByteLead(unsigned char byte) {
    return byte >= 0x80;
}

bool NoLead(unsigned char) {
    return false;
}

// Offsets where a character begins; a lead byte at the very end stands alone.
std::vector<std::size_t> CharacterStarts(const std::string& text, bool (*isLead)(unsigned char)) {
    std::vector<std::size_t> starts;
    std::size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        const bool pair = isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    return starts;
}

// Wraps modulo 2^16 at every step, which keeps exactly the low 16 bits of any digit count.
uint16_t ClassicDecimalLow16(const std::string& text, std::size_t at) {
    while (at < text.size() && IsClassicSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    uint16_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = static_cast<uint16_t>(value * 10u + static_cast<unsigned>(text[at] - '0'));
        ++at;
    }
    return negative ? static_cast<uint16_t>(0u - value) : value;
}

} // namespace

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "rule broken: %s\n", what);
        std::abort();
    }
}

std::unique_ptr<char[]> ExactCopy(const uint8_t* bytes, std::size_t size, bool terminated) {
    std::unique_ptr<char[]> block(new char[size + (terminated ? 1 : 0)]);
    if (size != 0) {
        std::memcpy(block.get(), bytes, size);
    }
    if (terminated) {
        block[size] = '\0';
    }
    return block;
}

std::string TextOf(const uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0; ++i) {
        text += static_cast<char>(bytes[i]);
    }
    return text;
}

std::optional<uint8_t> HexField(const std::string& text, std::size_t offset) {
    if (text.size() < offset + 2 || !IsUpperHexDigit(text[offset]) ||
        !IsUpperHexDigit(text[offset + 1])) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(DigitValue(text[offset]) * 16 + DigitValue(text[offset + 1]));
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

CodePage CodePageOf(uint8_t selector) {
    switch (selector % 4) {
    case 0:
        return CodePage::SingleByte;
    case 1:
        return CodePage::ShiftJis;
    case 2:
        return CodePage::Gbk;
    default:
        return CodePage::EveryHighByte;
    }
}

bool (*LeadByteRule(CodePage page))(unsigned char) {
    switch (page) {
    case CodePage::SingleByte:
        return NoLead;
    case CodePage::ShiftJis:
        return ShiftJisLead;
    case CodePage::Gbk:
        return GbkLead;
    default:
        return HighByteLead;
    }
}

PortId PortIdOf(const std::string& text, CodePage page) {
    const std::vector<std::size_t> starts = CharacterStarts(text, LeadByteRule(page));
    for (const Keyword& keyword : PortKeywords) {
        for (const std::size_t start : starts) {
            if (text.compare(start, 3, keyword.text) == 0) {
                return static_cast<PortId>(keyword.base + ClassicDecimalLow16(text, start + 3));
            }
        }
    }
    return 0;
}

bool IsCandidate(const std::string& name) {
    return StartsWith(name, "USB") || StartsWith(name, "QRUSB") || StartsWith(name, "LPT");
}

} // namespace rules
