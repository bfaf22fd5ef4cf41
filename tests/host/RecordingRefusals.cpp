// A recording comes from a customer's machine: a line with any field out of its kind or its
// width is refused with its line number, and nothing of it is played. Under the sanitizers.
#include "lvxio/Recording.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RecordingParser, RefusesEachMalformedFieldWithItsLine) {
    struct Case {
        const char* what;
        const char* line;
    };
    const Case cases[] = {
        {"good line (the frame)", nullptr},
        {"negative time", "-1.000 T00000001 PortCloseByLvx -> 0x00000001"},
        {"infinite time", "inf T00000001 PortCloseByLvx -> 0x00000001"},
        {"time not a number", "nan T00000001 PortCloseByLvx -> 0x00000001"},
        {"time beyond a double", "1e999 T00000001 PortCloseByLvx -> 0x00000001"},
        {"time with junk", "1.5ms T00000001 PortCloseByLvx -> 0x00000001"},
        {"negative thread", "1.000 T-1 PortCloseByLvx -> 0x00000001"},
        {"thread beyond 32 bits", "1.000 T100000000 PortCloseByLvx -> 0x00000001"},
        {"unknown entry point", "1.000 T00000001 FormatDiskByLvx -> 0x00000001"},
        {"key the entry lacks", "1.000 T00000001 PortCloseByLvx port=1 -> 0x00000001"},
        {"port beyond 16 bits", "1.000 T00000001 PortOpenByLvx port=65536 -> 0x00000001"},
        {"negative port", "1.000 T00000001 PortOpenByLvx port=-1 -> 0x00000001"},
        {"hex sign", "1.000 T00000001 PortOpenByLvx port=0x-1 -> 0x00000001"},
        {"count beyond 32 bits",
         "1.000 T00000001 ReceiveByLvx count=4294967296 -> 0x00000001 got=0 data="},
        {"got beyond 64 bits",
         "1.000 T00000001 ReceiveByLvx count=50 -> 0x00000001 got=0xFFFFFFFFFFFFFFFF data="},
        {"odd hex data", "1.000 T00000001 ReceiveByLvx count=50 -> 0x00000001 got=1 data=ABC"},
        {"detail beyond 16 bits", "1.000 T00000001 GetIoErrorCodeByLvx -> 0x00000001 detail=40000"},
        {"flag not a byte", "1.000 T00000001 SendByLvx count=1 data=00 -> 0x00000001 flag=100"},
        {"short crc", "1.000 T00000001 SendByLvx count=99 crc=1234 head=00 tail=00 -> 0x00000001"},
        {"unterminated text", "1.000 T00000001 GetModelNameByLvx -> 0x00000001 text=\"KT"},
        {"missing not 1", "1.000 T00000001 PortCloseByLvx -> 0x0000B000 missing=2"},
        {"short result", "1.000 T00000001 PortCloseByLvx -> 0x1"},
        {"signed result", "1.000 T00000001 PortCloseByLvx -> 0x-0000001"},
        {"no result", "1.000 T00000001 PortCloseByLvx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string line =
            c.line != nullptr ? c.line
                              : "   12.500 T0000012C ReceiveByLvx count=50 -> 0x00000001 got=4 "
                                "data=44494147";
        const std::string text =
            std::string(lvxio::Recording::Magic) + " 1\n# header\n" + line + "\n";
        std::vector<std::string> problems;
        const std::vector<lvxio::RecordedCall> calls = lvxio::Recording::parseAll(text, problems);
        if (c.line == nullptr) {
            EXPECT_TRUE(problems.empty());
            EXPECT_EQ(calls.size(), 1u);
            continue;
        }
        EXPECT_TRUE(calls.empty());
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].rfind("line 3: ", 0), 0u) << problems[0];
    }
}

} // namespace
