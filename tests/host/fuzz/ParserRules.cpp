#include "ParserRules.h"

#include "diag/DiagReplies.h"
#include "diag/HexByteParser.h"
#include "lvxio/ByteText.h"
#include "lvxio/Recording.h"
#include "ports/PortNames.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
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

namespace {

void PrintAndAbort(const char* what) {
    std::fprintf(stderr, "rule broken: %s\n", what);
    std::abort();
}

BreakHandler breakHandler = &PrintAndAbort;

} // namespace

void Require(bool holds, const char* what) {
    if (!holds) {
        breakHandler(what);
    }
}

void SetBreakHandler(BreakHandler handler) {
    breakHandler = handler != nullptr ? handler : &PrintAndAbort;
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

namespace {

// A byte no parser writes, to tell a value left alone from one parsed.
constexpr uint8_t Untouched = 0xA5;

// A reply to the version read: accepted exactly when "DIAG CD=E2,01," begins the text and the
// fields at 14, 17 and 20 are two upper-case digits each; fields before a bad one keep their
// bytes, fields after it are never parsed.
void CheckVersionReply(const uint8_t* data, std::size_t size) {
    const auto buffer = ExactCopy(data, size, false);
    const std::string_view text = diag::BoundedText(buffer.get(), size);
    const std::string want = TextOf(data, size);
    Require(text == want, "the reply is the buffer's text up to its first NUL");

    uint8_t values[3] = {Untouched, Untouched, Untouched};
    const bool accepted = diag::CheckVersionReply(text, values[0], values[1], values[2]);

    constexpr std::size_t Offsets[] = {14, 17, 20};
    const bool prefixed = StartsWith(want, "DIAG CD=E2,01,");
    // Fields the product parses: none without the prefix, else up to the first bad one.
    std::size_t parsed = 0;
    bool allGood = prefixed;
    for (std::size_t i = 0; prefixed && i < 3; ++i) {
        parsed = i + 1;
        const std::optional<uint8_t> field = HexField(want, Offsets[i]);
        if (!field) {
            allGood = false;
            break;
        }
        Require(values[i] == *field, "a good field's value is its digits' byte");
    }
    Require(accepted == allGood, "accepted exactly with the prefix and three good fields");
    for (std::size_t i = parsed; i < 3; ++i) {
        Require(values[i] == Untouched, "no field after a bad one is parsed");
    }
}

// A reply to a memory read: the byte is taken exactly when the text before the first NUL begins
// with "DIAG CD=12," and two upper-case digits, and a rejected reply leaves the value alone.
void CheckMemoryReply(const uint8_t* data, std::size_t size) {
    const auto buffer = ExactCopy(data, size, false);
    const std::string_view text = diag::BoundedText(buffer.get(), size);
    const std::string want = TextOf(data, size);
    Require(text.data() == buffer.get() && text == want,
            "the reply is the buffer's text up to its first NUL");

    uint8_t value = Untouched;
    const bool accepted = diag::CheckMemoryReply(text, value);
    const bool prefixed = StartsWith(want, "DIAG CD=12,");
    const std::optional<uint8_t> field = HexField(want, 11);
    Require(accepted == (prefixed && field.has_value()),
            "accepted exactly with the prefix and two upper-case digits");
    if (accepted) {
        Require(value == *field, "the value is the digits' byte");
    }
    if (!prefixed) {
        Require(value == Untouched, "a reply without the prefix is not parsed");
    }
}

// A device ID, most often with no NUL: the keyword "ZKL" counts exactly where it lies wholly
// within the text before the first NUL.
void CheckDeviceId(const uint8_t* data, std::size_t size) {
    const auto buffer = ExactCopy(data, size, false);
    const bool found = diag::HasJobLanguageKeyword(diag::BoundedText(buffer.get(), size));
    const std::string text = TextOf(data, size);
    Require(found == (text.find("ZKL") != std::string::npos),
            "the keyword is found exactly when the text holds it");
}

// The first byte picks the code page's lead-byte rule, the rest is the NUL-terminated name. The
// keywords count only where a character begins, so a trail byte that reads 'U' or 'L' starts
// nothing; the number is read to its low 16 bits whatever its length. The candidate test is
// held to its rule on the same name.
void CheckPortId(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const CodePage page = CodePageOf(data[0]);
    const auto name = ExactCopy(data + 1, size - 1, true);
    const std::string text = TextOf(data + 1, size - 1);

    const PortId got = PortIdFromText(name.get(), LeadByteRule(page));
    Require(got == PortIdOf(text, page), "the PortId follows the rule");
    if (page == CodePage::SingleByte) {
        // The system's own code page: single-byte where the tests run.
        Require(PortIdFromText(name.get()) == got, "the system code page reads the same");
    }
    Require(IsCandidatePortName(name.get()) == IsCandidate(text),
            "a candidate begins with USB, QRUSB or LPT");
}

// Parses printed from an exact block, the value holding leftover first.
bool ParsePrinted(const HexByteParser& parser, const char* format, uint8_t byte, uint8_t leftover,
                  uint8_t& value) {
    char printed[3] = {};
    std::snprintf(printed, sizeof printed, format, static_cast<unsigned>(byte));
    const auto block = ExactCopy(reinterpret_cast<const uint8_t*>(printed), 2, true);
    value = leftover;
    return parser.Parse(block.get(), value);
}

// The first byte is whatever the value held before, the rest is the NUL-terminated text.
// Accepted exactly with two upper-case digits first, whatever the value held; and every byte
// printed as two upper-case digits reads back as itself.
void CheckHexByte(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const uint8_t leftover = data[0];
    const HexByteParser parser;

    const auto text = ExactCopy(data + 1, size - 1, true);
    uint8_t value = leftover;
    const bool accepted = parser.Parse(text.get(), value);
    const std::optional<uint8_t> want = HexField(TextOf(data + 1, size - 1), 0);
    Require(accepted == want.has_value(), "accepted exactly with two upper-case digits");
    if (accepted) {
        Require(value == *want, "the value is the digits' byte");
    }

    // The round trip, with a leftover that differs from the byte.
    uint8_t back = 0;
    Require(ParsePrinted(parser, "%02X", leftover, static_cast<uint8_t>(~leftover), back) &&
                back == leftover,
            "a byte printed in upper case reads back as itself");
    const bool hasLetter = (leftover >> 4) > 9 || (leftover & 0x0F) > 9;
    Require(ParsePrinted(parser, "%02x", leftover, leftover, back) == !hasLetter,
            "lower-case letters are refused");
}

// The line number a problem starts with ("line N: ..."), or 0.
std::size_t ProblemLine(const std::string& problem) {
    constexpr std::string_view prefix = "line ";
    const std::size_t colon = problem.find(": ");
    std::size_t line = 0;
    if (problem.compare(0, prefix.size(), prefix) != 0 || colon == std::string::npos ||
        !lvxio::text::parseNumber(
            std::string_view(problem).substr(prefix.size(), colon - prefix.size()), line)) {
        return 0;
    }
    return line;
}

// A recording from a customer's machine: every line that is not blank or a comment either
// parses into a call or is refused with its line number; a call's time is finite and not
// negative. Never a crash or an overflow (the sanitizers watch).
void CheckRecording(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = lvxio::text::lines(text);
    std::vector<std::string> problems;
    const std::vector<lvxio::RecordedCall> calls = lvxio::Recording::parseAll(text, problems);
    std::size_t callLines = 0;
    for (const std::string& line : lines) {
        callLines += !line.empty() && line[0] != '#' ? 1 : 0;
    }
    Require(calls.size() + problems.size() == callLines,
            "each call line is either a call or a problem");
    for (const std::string& problem : problems) {
        const std::size_t line = ProblemLine(problem);
        Require(line >= 1 && line <= lines.size(), "a problem names a line of the recording");
    }
    for (const lvxio::RecordedCall& call : calls) {
        Require(call.line >= 1 && call.line <= lines.size(), "a call knows its line");
        Require(std::isfinite(call.millis) && call.millis >= 0, "a call's time is finite, >= 0");
    }
    std::vector<std::string> ports;
    problems.clear();
    lvxio::Recording::ports(text, ports, problems);
    for (const std::string& problem : problems) {
        const std::size_t line = ProblemLine(problem);
        Require(line >= 1 && line <= lines.size(), "a ports problem names a line");
    }
}

constexpr Target AllTargets[] = {
    {"version_reply", &CheckVersionReply}, {"memory_reply", &CheckMemoryReply},
    {"device_id", &CheckDeviceId},         {"port_id", &CheckPortId},
    {"hex_byte", &CheckHexByte},           {"recording", &CheckRecording},
};

} // namespace

const Target* Targets(std::size_t& count) {
    count = sizeof AllTargets / sizeof AllTargets[0];
    return AllTargets;
}

Check CheckOf(const char* name) {
    for (const Target& target : AllTargets) {
        if (std::strcmp(target.name, name) == 0) {
            return target.check;
        }
    }
    return nullptr;
}

} // namespace rules
