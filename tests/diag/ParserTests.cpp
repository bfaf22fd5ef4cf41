// The byte parser and the reply checks: two upper-case hexadecimal digits and nothing else, at
// fixed offsets after a fixed prefix, and never a byte outside the buffer. Portable: also built
// for the host under the sanitizers (tests/host).
#include "diag/DiagReplies.h"
#include "diag/HexByteParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// '0'-'9' and 'A'-'F' only.
bool IsUpperHexDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Value of an upper-case hexadecimal digit.
int DigitValue(unsigned char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// Exactly size bytes on the heap, so that a sanitizer sees any read past them.
std::unique_ptr<char[]> ExactBuffer(const std::string& bytes, std::size_t size) {
    std::unique_ptr<char[]> buffer(new char[size]);
    std::memset(buffer.get(), 0, size);
    std::memcpy(buffer.get(), bytes.data(), std::min(bytes.size(), size));
    return buffer;
}

// The reply as the reads see it: in a zero-filled 50-byte buffer, taken up to its NUL.
struct Reply {
    // Copies bytes into the buffer, cut at 50.
    explicit Reply(const std::string& bytes) : buffer(ExactBuffer(bytes, 50)) {}
    // What the checks get.
    std::string_view text() const { return diag::BoundedText(buffer.get(), 50); }
    std::unique_ptr<char[]> buffer;
};

struct MemoryCase {
    const char* name;
    std::string reply;
    bool accepted;
    uint8_t value;
};

struct VersionCase {
    const char* name;
    std::string reply;
    bool accepted;
    uint8_t first, second, third;
};

// Lets gtest name the cases.
void PrintTo(const MemoryCase& c, std::ostream* out) {
    *out << c.name;
}
// Lets gtest name the cases.
void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

} // namespace

// Every text of one or two bytes against the rule: both bytes upper-case hexadecimal digits,
// the first being the high digit. Covers lower case, blanks, signs, "0x", single digits.
TEST(HexByteParserTest, AcceptsExactlyTwoUpperCaseHexDigits) {
    const HexByteParser parser;
    int accepted = 0;
    for (int high = 1; high < 256; ++high) {
        for (int low = 0; low < 256; ++low) {
            const char text[3] = {static_cast<char>(high), static_cast<char>(low), '\0'};
            uint8_t value = 0;
            const bool parsed = parser.Parse(text, value);
            const bool wanted = IsUpperHexDigit(static_cast<unsigned char>(high)) &&
                                IsUpperHexDigit(static_cast<unsigned char>(low));
            ASSERT_EQ(wanted, parsed) << "text " << high << "," << low;
            if (wanted) {
                ++accepted;
                ASSERT_EQ(DigitValue(static_cast<unsigned char>(high)) * 16 +
                              DigitValue(static_cast<unsigned char>(low)),
                          value);
            }
        }
    }
    EXPECT_EQ(256, accepted);
}

// What follows the two digits does not matter; fewer than two characters never pass.
TEST(HexByteParserTest, LooksAtTheFirstTwoCharactersOnly) {
    const HexByteParser parser;
    uint8_t value = 0;
    EXPECT_TRUE(parser.Parse("3F,00", value));
    EXPECT_EQ(0x3F, value);
    EXPECT_TRUE(parser.Parse("A0Z", value));
    EXPECT_EQ(0xA0, value);
    EXPECT_FALSE(parser.Parse("3", value));
    EXPECT_FALSE(parser.Parse("", value));
    EXPECT_FALSE(parser.Parse("A,", value));
    EXPECT_FALSE(parser.Parse("1a", value));
    EXPECT_FALSE(parser.Parse(" 3F", value));
}

class MemoryReplyTest : public ::testing::TestWithParam<MemoryCase> {};

// The prefix at the start, then two upper-case digits; the rest does not count.
TEST_P(MemoryReplyTest, ChecksPrefixAndValue) {
    const MemoryCase& c = GetParam();
    const Reply reply(c.reply);
    uint8_t value = 0;
    ASSERT_EQ(c.accepted, diag::CheckMemoryReply(reply.text(), value));
    if (c.accepted) {
        EXPECT_EQ(c.value, value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MemoryReplyTest,
    ::testing::Values(MemoryCase{"UpperCase", "DIAG CD=12,3F", true, 0x3F},
                      MemoryCase{"LowerCase", "DIAG CD=12,3f", false, 0},
                      MemoryCase{"OneDigit", "DIAG CD=12,3", false, 0},
                      MemoryCase{"PrefixOnly", "DIAG CD=12,", false, 0},
                      MemoryCase{"BlankInFront", " DIAG CD=12,3F", false, 0},
                      MemoryCase{"PrefixFurtherOn", "xDIAG CD=12,3F", false, 0},
                      MemoryCase{"TextAfterValue", "DIAG CD=12,3F,00", true, 0x3F},
                      MemoryCase{"CrLfAfterValue", "DIAG CD=12,AB\r\n", true, 0xAB},
                      MemoryCase{"BlankBeforeValue", "DIAG CD=12, 3F", false, 0},
                      MemoryCase{"VersionPrefix", "DIAG CD=E2,3F", false, 0},
                      MemoryCase{"LowerCasePrefix", "diag cd=12,3F", false, 0},
                      MemoryCase{"Empty", "", false, 0},
                      MemoryCase{"NulBeforeValue", std::string("DIAG CD=12,\0003F", 14), false, 0},
                      MemoryCase{"FullBufferNoNul", "DIAG CD=12,A7" + std::string(37, '9'), true,
                                 0xA7},
                      MemoryCase{"FullBufferOfGarbage", std::string(50, 'D'), false, 0}),
    [](const ::testing::TestParamInfo<MemoryCase>& param) {
        return std::string(param.param.name);
    });

class VersionReplyTest : public ::testing::TestWithParam<VersionCase> {};

// The prefix at the start, then three fields at fixed offsets.
TEST_P(VersionReplyTest, ChecksPrefixAndThreeFields) {
    const VersionCase& c = GetParam();
    const Reply reply(c.reply);
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t third = 0;
    ASSERT_EQ(c.accepted, diag::CheckVersionReply(reply.text(), first, second, third));
    if (c.accepted) {
        EXPECT_EQ(c.first, first);
        EXPECT_EQ(c.second, second);
        EXPECT_EQ(c.third, third);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, VersionReplyTest,
    ::testing::Values(VersionCase{"Plain", "DIAG CD=E2,01,01,01,06", true, 1, 1, 6},
                      VersionCase{"HexFields", "DIAG CD=E2,01,0A,10,FF", true, 10, 16, 255},
                      VersionCase{"OtherSeparators", "DIAG CD=E2,01,01;01;06", true, 1, 1, 6},
                      VersionCase{"TextAfterFields", "DIAG CD=E2,01,01,01,06,77\r\n", true, 1, 1,
                                  6},
                      VersionCase{"BadSecondField", "DIAG CD=E2,01,01,0G,06", false, 0, 0, 0},
                      VersionCase{"LowerCaseField", "DIAG CD=E2,01,1a,01,06", false, 0, 0, 0},
                      VersionCase{"ShortThirdField", "DIAG CD=E2,01,01,01,6", false, 0, 0, 0},
                      VersionCase{"MissingThirdField", "DIAG CD=E2,01,01,01", false, 0, 0, 0},
                      VersionCase{"OtherSubcode", "DIAG CD=E2,02,01,01,06", false, 0, 0, 0},
                      VersionCase{"MemoryPrefix", "DIAG CD=12,01,01,01,06", false, 0, 0, 0},
                      VersionCase{"Empty", "", false, 0, 0, 0},
                      VersionCase{"FullBufferNoNul",
                                  "DIAG CD=E2,01,01,02,03" + std::string(28, 'Z'), true, 1, 2, 3}),
    [](const ::testing::TestParamInfo<VersionCase>& param) {
        return std::string(param.param.name);
    });

// After the second field fails, the third is never parsed.
TEST(VersionReplyTest, StopsAtTheFirstFieldThatFails) {
    const Reply reply("DIAG CD=E2,01,01,0G,06");
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t third = 0x77;
    EXPECT_FALSE(diag::CheckVersionReply(reply.text(), first, second, third));
    EXPECT_EQ(0x77, third);
}

// The text ends at the first NUL, or at the buffer's end when there is none.
TEST(BoundedTextTest, EndsAtTheNulOrTheBuffer) {
    const char full[4] = {'A', 'B', 'C', 'D'};
    EXPECT_EQ("ABCD", diag::BoundedText(full, sizeof full));
    const char cut[4] = {'A', '\0', 'C', 'D'};
    EXPECT_EQ("A", diag::BoundedText(cut, sizeof cut));
    const char empty[4] = {};
    EXPECT_EQ("", diag::BoundedText(empty, sizeof empty));
}

// "ZKL" anywhere, case-sensitive, within the 1024-byte buffer only.
TEST(JobLanguageKeywordTest, FoundAnywhereWithinTheBuffer) {
    EXPECT_TRUE(diag::HasJobLanguageKeyword("MFG:X;CMD:PCL,ZKL;MDL:Y;"));
    EXPECT_TRUE(diag::HasJobLanguageKeyword("ZKL"));
    EXPECT_FALSE(diag::HasJobLanguageKeyword("MFG:X;CMD:zkl,PCL;"));
    EXPECT_FALSE(diag::HasJobLanguageKeyword("ZK L"));
    EXPECT_FALSE(diag::HasJobLanguageKeyword(""));

    constexpr std::size_t size = 1024;
    // One byte more than the device ID buffer: the byte past it must not count.
    std::vector<char> memory(size + 1, 'x');
    memory[size - 3] = 'Z';
    memory[size - 2] = 'K';
    memory[size - 1] = 'L';
    EXPECT_TRUE(diag::HasJobLanguageKeyword(diag::BoundedText(memory.data(), size)));
    memory[size - 3] = 'x';
    memory[size - 2] = 'Z';
    memory[size - 1] = 'K';
    memory[size] = 'L';
    EXPECT_FALSE(diag::HasJobLanguageKeyword(diag::BoundedText(memory.data(), size)));
    // A NUL ends the text: a keyword after it does not count.
    const std::string afterNul("MFG:X;\0CMD:ZKL;", 15);
    EXPECT_FALSE(diag::HasJobLanguageKeyword(diag::BoundedText(afterNul.data(), afterNul.size())));
}
