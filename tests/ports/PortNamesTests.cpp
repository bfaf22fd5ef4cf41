// Port names: which spooler ports are candidates, and the PortId a name or list item maps to,
// including texts with double-byte characters of code page 932.
#include "ports/PortNames.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Code page 932's lead bytes, whatever the system's code page is.
bool IsLeadByte932(unsigned char byte) {
    return ::IsDBCSLeadByteEx(932, byte) != FALSE;
}

// A code page without double-byte characters.
bool NoLeadByte(unsigned char) {
    return false;
}

struct NameCase {
    const char* text;
    PortId expected;
};

// Every row of the mapping table, and the list items the tool itself builds.
const NameCase MappingTable[] = {
    {"USB001", 1025}, {"USB002 (M)", 1026}, {"QRUSB2", 1026}, {"QRUSB1:", 1025}, {"LPT1", 1152},
    {"LPT1:", 1152},  {"LPT3: (M)", 1154},  {"USB", 1024},    {"COM1:", 0},      {"usb001", 0},
};

// The edges of the search and of the decimal conversion.
const NameCase EdgeCases[] = {
    // "USB" is searched over the whole text before "LPT".
    {"LPT1: (X USB2)", 1026},
    {"LPT2: (KT-USB)", 1024},
    {"QRUSB1: (KT-9200)", 1025},
    {"USB001 (LPT3)", 1025},
    // Case matters for the search as for the candidates.
    {"lpt1:", 0},
    {"Usb1", 0},
    {"LPt1", 0},
    // No digits: the number is 0.
    {"LPT", 1151},
    {"LPT:", 1151},
    {"USBx1", 1024},
    {"", 0},
    {"FILE:", 0},
    {"Auto selection", 0},
    // The conversion skips white space and takes a sign, digits up to the first non-digit.
    {"USB 7", 1031},
    {"USB\t\n 3", 1027},
    {"LPT+2", 1153},
    {"LPT-1", 1150},
    {"USB-1024", 0},
    {"USB-1025", 0xFFFF},
    {"USB12ab3", 1036},
    {"USB 1 2", 1025},
    {"USB+-1", 1024},
    // Only the low 16 bits count.
    {"USB64512", 0},
    {"USB64513", 1},
    {"USB65537", 1025},
    {"LPT65536", 1151},
    // Numbers beyond 32 bits: the low 16 bits of a wrapping conversion.
    {"USB4294967297", 1025},
    {"USB99999999999999999999", 1023},
    // The first occurrence counts.
    {"USB1USB2", 1025},
    {"LPT1LPT2", 1152},
    // Found anywhere, not only at the start.
    {"\\\\server\\USB5", 1029},
    {"Ne00:LPT4", 1155},
};

TEST(PortIdFromText, MapsEveryRowOfTheTable) {
    for (const NameCase& row : MappingTable) {
        EXPECT_EQ(PortIdFromText(row.text), row.expected) << "text \"" << row.text << "\"";
    }
}

TEST(PortIdFromText, HandlesTheEdgesOfSearchAndConversion) {
    for (const NameCase& row : EdgeCases) {
        EXPECT_EQ(PortIdFromText(row.text), row.expected) << "text \"" << row.text << "\"";
    }
}

TEST(PortIdFromText, NullTextIsNoPort) {
    EXPECT_EQ(PortIdFromText(nullptr), 0);
    EXPECT_EQ(PortIdFromText(nullptr, IsLeadByte932), 0);
}

// Texts whose meaning depends on the code page: a byte that looks like 'U', '\' or 'L' but is
// the second byte of a double-byte character, or a lead byte at the very end.
struct CodePageCase {
    const char* what;
    std::string text;
    // Under code page 932, and under a code page without double-byte characters.
    PortId in932;
    PortId singleByte;
};

const CodePageCase CodePageCases[] = {
    // 0x83 0x55 is one character (katakana ZA) whose second byte is 'U'.
    {"trail 'U' before SB5",
     "\x83"
     "USB5",
     0, 1029},
    {"trail 'U' after LPT2:",
     "LPT2:\x83"
     "USB9",
     1153, 1033},
    // 0x95 0x5C is one character whose second byte is '\'; what follows is a new character.
    {"trail '\\' then USB3", "\x95\\USB3", 1027, 1027},
    {"two characters then USB",
     "\x95\\\x83"
     "USB2",
     0, 1026},
    // 0x83 0x4C is a character whose second byte is 'L'.
    {"trail 'L' before PT7", "\x83LPT7", 0, 1158},
    {"trail 'L' in a model suffix", "USB1 (\x83LPT7)", 1025, 1025},
    // Single-byte katakana (0xA1..0xDF) are whole characters.
    {"single-byte katakana before USB4", "\xB1USB4", 1028, 1028},
    // A lead byte as the last byte has no second byte to swallow.
    {"lead byte as the last byte", "LPT1\x83", 1152, 1152},
    {"lead byte alone", "\x83", 0, 0},
    // A lead byte right before the pattern swallows its first byte only when it is the trail.
    {"lead byte swallows U", "\x81USB6LPT1", 1152, 1030},
};

TEST(PortIdFromText, StepsOverDoubleByteCharactersOfCodePage932) {
    for (const CodePageCase& row : CodePageCases) {
        EXPECT_EQ(PortIdFromText(row.text.c_str(), IsLeadByte932), row.in932) << row.what;
        EXPECT_EQ(PortIdFromText(row.text.c_str(), NoLeadByte), row.singleByte) << row.what;
    }
}

// The tool's own path under a system code page of 932: the test is run once more in a process
// started with a Japanese locale, which asks for it with PORTS_TESTS_REQUIRE_ACP=932.
TEST(AnsiCodePage932, ToolMapsByCharactersOfTheSystemCodePage) {
    if (::GetACP() != 932) {
        const char* required = std::getenv("PORTS_TESTS_REQUIRE_ACP");
        if (required != nullptr && std::string(required) == "932") {
            FAIL() << "the locale did not give code page 932 but " << ::GetACP();
        }
        GTEST_SKIP() << "system code page is " << ::GetACP() << ", not 932";
    }
    for (const CodePageCase& row : CodePageCases) {
        EXPECT_EQ(PortIdFromText(row.text.c_str()), row.in932) << row.what;
    }
    EXPECT_TRUE(IsAnsiLeadByte(0x83));
    EXPECT_FALSE(IsAnsiLeadByte('U'));
    EXPECT_FALSE(IsAnsiLeadByte(0xB1));
}

TEST(IsCandidatePortName, TakesOnlyTheThreePrefixesByteForByte) {
    const char* candidates[] = {
        "USB001", "USB", "USBx", "QRUSB1:", "QRUSB", "LPT1:", "LPT", "LPT9: (KT-9200)"};
    for (const char* name : candidates) {
        EXPECT_TRUE(IsCandidatePortName(name)) << name;
    }
    const char* others[] = {
        "COM1:", "FILE:", "usb001", "Usb001", "lpt1:",    "QRUS",  "QRusb1:",
        "US",    "LP",    "",       " USB1",  "XPSPort:", "Ne00:", "\\\\server\\LPT1",
        "NUL:"};
    for (const char* name : others) {
        EXPECT_FALSE(IsCandidatePortName(name)) << name;
    }
    EXPECT_FALSE(IsCandidatePortName(nullptr));
}

} // namespace
