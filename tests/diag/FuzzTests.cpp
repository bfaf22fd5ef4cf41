// Random and mutated printer replies, device IDs and port names thrown at the system's only
// parsers of outside text. Each input sits in a heap block of exactly the buffer's size, so
// that a read past it shows under AddressSanitizer (tests/host builds this file natively with
// it); every result is also compared with a plain reference of the rule. Portable.
#include "diag/DiagReplies.h"
#include "ports/PortNames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Inputs per test; the totals are what CI runs on every build.
constexpr int MemoryReplyInputs = 100000;
constexpr int VersionReplyInputs = 100000;
constexpr int DeviceIdInputs = 20000;
constexpr int PortNameInputs = 50000;

constexpr std::size_t ReplySize = 50;
constexpr std::size_t DeviceIdSize = 1024;

// Deterministic on every platform (the standard distributions are not).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    // splitmix64.
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. bound-1.
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    // True about once in n.
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    // One character of text.
    char Pick(const std::string& alphabet) { return alphabet[Below(alphabet.size())]; }
    // Any byte.
    char Byte() { return static_cast<char>(Below(256)); }

private:
    uint64_t state_;
};

// Characters that matter to the parsers, NUL and high bytes among them.
const std::string Interesting =
    std::string("0123456789ABCDEFabcdefGgXx,; :+-=\r\n\x80\xFF") + '\0' + "DIAGCDE12";
const std::string UpperHex = "0123456789ABCDEF";
// Characters of a device ID.
const std::string IdText = "MFG:CMD:MDL:CLS:PRINTER;,-_ Zz\x81\xFF";

// '0'-'9' and 'A'-'F' only.
bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Value of an upper-case hexadecimal digit.
int DigitValue(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// Two random upper-case digits, mostly.
std::string Field(Random& random) {
    std::string field;
    for (int i = 0; i < 2; ++i) {
        field += random.OneIn(8) ? random.Pick(Interesting) : random.Pick(UpperHex);
    }
    return field;
}

// Changes a few bytes: replace, delete, insert, cut short, put a blank in front, repeat.
void Mutate(Random& random, std::string& text) {
    const std::size_t edits = random.Below(4);
    for (std::size_t e = 0; e < edits; ++e) {
        const std::size_t at = text.empty() ? 0 : random.Below(text.size());
        switch (random.Below(6)) {
        case 0:
            if (!text.empty()) {
                text[at] = random.OneIn(2) ? random.Pick(Interesting) : random.Byte();
            }
            break;
        case 1:
            if (!text.empty()) {
                text.erase(at, 1);
            }
            break;
        case 2:
            text.insert(at, 1, random.Pick(Interesting));
            break;
        case 3:
            text.resize(random.Below(text.size() + 1));
            break;
        case 4:
            text.insert(0, 1, ' ');
            break;
        default:
            text += text.substr(at);
            break;
        }
    }
}

// A reply as the library may leave it in the zero-filled buffer: a short one with zeros or
// leftovers after its end, or one that fills all 50 bytes with no NUL.
std::unique_ptr<char[]> ReplyBuffer(Random& random, std::string content) {
    if (random.OneIn(4)) {
        while (content.size() < ReplySize) {
            content += random.Pick(Interesting);
        }
    }
    std::unique_ptr<char[]> buffer(new char[ReplySize]);
    std::memset(buffer.get(), 0, ReplySize);
    std::memcpy(buffer.get(), content.data(), std::min(content.size(), ReplySize));
    if (content.size() < ReplySize && random.OneIn(3)) {
        for (std::size_t i = content.size() + 1; i < ReplySize; ++i) {
            buffer[i] = random.Byte();
        }
    }
    return buffer;
}

// Random bytes, a mutated well-formed reply, or a well-formed one.
std::string ReplyContent(Random& random, const std::string& wellFormed) {
    switch (random.Below(4)) {
    case 0: {
        std::string noise(random.Below(ReplySize + 1), '\0');
        for (char& c : noise) {
            c = random.OneIn(2) ? random.Byte() : random.Pick(Interesting);
        }
        return noise;
    }
    case 1:
        return wellFormed;
    default: {
        std::string text = wellFormed;
        Mutate(random, text);
        return text;
    }
    }
}

// The reply text by the rule: up to the first NUL, at most 50 bytes.
std::string ReferenceText(const char* buffer) {
    std::string text;
    for (std::size_t i = 0; i < ReplySize && buffer[i] != '\0'; ++i) {
        text += buffer[i];
    }
    return text;
}

// The two characters at offset are both upper-case digits; the byte they give.
bool ReferenceField(const std::string& text, std::size_t offset, int& value) {
    if (text.size() < offset + 2 || !IsUpperHexDigit(text[offset]) ||
        !IsUpperHexDigit(text[offset + 1])) {
        return false;
    }
    value = DigitValue(text[offset]) * 16 + DigitValue(text[offset + 1]);
    return true;
}

// Prints what a fuzz test ran, for the CI log.
void Report(const char* what, int inputs, int accepted) {
    std::printf("[   FUZZ   ] %d %s, %d accepted\n", inputs, what, accepted);
}

// The reference of PortIdFromText: boundaries first, then the first "USB", else "LPT", then a
// decimal number. Nothing for a number of more than 9 digits, where conversions differ.
std::optional<PortId> ReferencePortId(const std::string& text, bool (*isLead)(unsigned char)) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        i += isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    for (const char* key : {"USB", "LPT"}) {
        for (const std::size_t start : starts) {
            if (text.compare(start, 3, key) != 0) {
                continue;
            }
            std::size_t i = start + 3;
            while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) != nullptr) {
                ++i;
            }
            const bool negative = i < text.size() && text[i] == '-';
            if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
                ++i;
            }
            int64_t number = 0;
            int digits = 0;
            for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
                if (digits == 9) {
                    return std::nullopt;
                }
                number = number * 10 + (text[i] - '0');
            }
            const int64_t base = key[0] == 'U' ? 1024 : 1151;
            return static_cast<PortId>(static_cast<uint64_t>(base + (negative ? -number : number)) &
                                       0xFFFFu);
        }
    }
    return PortId{0};
}

// Lead bytes of a double-byte code page such as 932.
bool DoubleByteLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// No lead bytes at all.
bool SingleByteLead(unsigned char) {
    return false;
}

// A port name or list item: pieces of names, numbers of up to 9 digits, model suffixes, and
// double-byte characters whose trail byte may look like a letter of a keyword.
std::string PortText(Random& random) {
    static const char* const pieces[] = {"USB", "LPT", "QRUSB", "US", "LP", ":",      " (",
                                         ")",   " ",   "-",     "+",  "\t", "KT-9600"};
    std::string text;
    const std::size_t parts = random.Below(8);
    for (std::size_t p = 0; p < parts; ++p) {
        switch (random.Below(4)) {
        case 0:
            text += pieces[random.Below(sizeof pieces / sizeof pieces[0])];
            break;
        case 1: {
            const std::size_t digits = 1 + random.Below(9);
            for (std::size_t d = 0; d < digits; ++d) {
                text += static_cast<char>('0' + random.Below(10));
            }
            break;
        }
        case 2:
            text += static_cast<char>(0x81 + random.Below(0x1F));
            text += random.OneIn(2) ? random.Pick("USBLPT")
                                    : static_cast<char>(0x40 + random.Below(0xBD));
            break;
        default:
            text += static_cast<char>(1 + random.Below(255));
            break;
        }
    }
    return text;
}

} // namespace

// Memory read replies: the byte is taken exactly when prefix and both digits are right.
TEST(ReplyFuzzTest, MemoryReadRepliesStayInTheBufferAndFollowTheRule) {
    Random random(0x11BA);
    int accepted = 0;
    for (int n = 0; n < MemoryReplyInputs; ++n) {
        std::string wellFormed = "DIAG CD=12," + Field(random);
        if (random.OneIn(2)) {
            wellFormed += random.OneIn(2) ? "\r\n" : ",00";
        }
        const std::unique_ptr<char[]> buffer =
            ReplyBuffer(random, ReplyContent(random, wellFormed));
        uint8_t value = 0;
        const bool got = diag::CheckMemoryReply(diag::BoundedText(buffer.get(), ReplySize), value);
        const std::string text = ReferenceText(buffer.get());
        int wantValue = 0;
        const bool want =
            text.compare(0, 11, "DIAG CD=12,") == 0 && ReferenceField(text, 11, wantValue);
        ASSERT_EQ(want, got) << "input " << n << ": \"" << text << "\"";
        if (want) {
            ASSERT_EQ(wantValue, value) << "input " << n;
            ++accepted;
        }
    }
    Report("memory read replies", MemoryReplyInputs, accepted);
    EXPECT_GT(accepted, MemoryReplyInputs / 10) << "the inputs hardly reach the accepting path";
}

// Version replies: all three fields must be right, whatever stands between them.
TEST(ReplyFuzzTest, VersionRepliesStayInTheBufferAndFollowTheRule) {
    Random random(0xE201);
    int accepted = 0;
    for (int n = 0; n < VersionReplyInputs; ++n) {
        std::string wellFormed = "DIAG CD=E2,01," + Field(random);
        for (int i = 0; i < 2; ++i) {
            wellFormed += (random.OneIn(6) ? random.Pick(Interesting) : ',') + Field(random);
        }
        const std::unique_ptr<char[]> buffer =
            ReplyBuffer(random, ReplyContent(random, wellFormed));
        uint8_t values[3] = {};
        const bool got = diag::CheckVersionReply(diag::BoundedText(buffer.get(), ReplySize),
                                                 values[0], values[1], values[2]);
        const std::string text = ReferenceText(buffer.get());
        int want[3] = {};
        const bool wanted = text.compare(0, 14, "DIAG CD=E2,01,") == 0 &&
                            ReferenceField(text, 14, want[0]) &&
                            ReferenceField(text, 17, want[1]) && ReferenceField(text, 20, want[2]);
        ASSERT_EQ(wanted, got) << "input " << n << ": \"" << text << "\"";
        if (wanted) {
            for (int i = 0; i < 3; ++i) {
                ASSERT_EQ(want[i], values[i]) << "input " << n << ", field " << i;
            }
            ++accepted;
        }
    }
    Report("version replies", VersionReplyInputs, accepted);
    EXPECT_GT(accepted, VersionReplyInputs / 10) << "the inputs hardly reach the accepting path";
}

// Device IDs, most of them filling the buffer with no NUL: the keyword only counts within
// the text and the buffer.
TEST(ReplyFuzzTest, DeviceIdKeywordSearchStaysInTheBuffer) {
    Random random(0x2C4B);
    int found = 0;
    for (int n = 0; n < DeviceIdInputs; ++n) {
        std::unique_ptr<char[]> buffer(new char[DeviceIdSize]);
        std::memset(buffer.get(), 0, DeviceIdSize);
        // Mostly full buffers: the case with no NUL is the one that matters.
        const std::size_t length = random.OneIn(2) ? DeviceIdSize : random.Below(DeviceIdSize + 1);
        for (std::size_t i = 0; i < length; ++i) {
            buffer[i] = random.OneIn(4) ? random.Pick("ZKLzkl") : random.Pick(IdText);
        }
        if (random.OneIn(3) && length >= 3) {
            std::memcpy(buffer.get() + random.Below(length - 2), "ZKL", 3);
        } else if (length == DeviceIdSize && random.OneIn(2)) {
            // A keyword that would only be complete with a byte past the buffer.
            buffer[DeviceIdSize - 2] = 'Z';
            buffer[DeviceIdSize - 1] = 'K';
        } else if (random.OneIn(2)) {
            // A keyword after the text's end.
            const std::size_t cut = random.Below(DeviceIdSize - 3);
            buffer[cut] = '\0';
            std::memcpy(buffer.get() + cut + 1, "ZKL", 3);
        }
        const bool got = diag::HasJobLanguageKeyword(diag::BoundedText(buffer.get(), DeviceIdSize));
        std::size_t end = 0;
        while (end < DeviceIdSize && buffer[end] != '\0') {
            ++end;
        }
        bool want = false;
        for (std::size_t i = 0; i + 3 <= end; ++i) {
            want = want || (buffer[i] == 'Z' && buffer[i + 1] == 'K' && buffer[i + 2] == 'L');
        }
        ASSERT_EQ(want, got) << "input " << n;
        found += got ? 1 : 0;
    }
    Report("device IDs", DeviceIdInputs, found);
    EXPECT_GT(found, DeviceIdInputs / 10);
    EXPECT_LT(found, DeviceIdInputs - DeviceIdInputs / 10);
}

// Single-byte and double-byte code pages alike: the keyword is only found at a character
// boundary, and the number is read up to its end and no further.
TEST(PortNameFuzzTest, PortIdFromTextStaysInTheTextAndFollowsTheRule) {
    Random random(0x0503);
    int mapped = 0;
    int compared = 0;
    for (int n = 0; n < PortNameInputs; ++n) {
        const std::string text = PortText(random);
        std::unique_ptr<char[]> exact(new char[text.size() + 1]);
        std::memcpy(exact.get(), text.c_str(), text.size() + 1);
        const std::string visible = exact.get();
        for (auto* lead : {SingleByteLead, DoubleByteLead}) {
            const PortId got = PortIdFromText(exact.get(), lead);
            const std::optional<PortId> want = ReferencePortId(visible, lead);
            if (want) {
                ASSERT_EQ(*want, got) << "input " << n << ": \"" << visible << "\"";
                ++compared;
            }
            mapped += got != 0 ? 1 : 0;
        }
    }
    Report("port names (each under two code pages)", PortNameInputs, mapped);
    EXPECT_GT(mapped, PortNameInputs / 10);
    EXPECT_GT(compared, PortNameInputs);
}
