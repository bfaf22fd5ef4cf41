// The recording format: what the recorder writes is what the replay reads, and a line that
// cannot be read is named.
#include "CallPatterns.h"
#include "lvxio/Recording.h"
#include "tests/support/SimControl.h"

#include <gtest/gtest.h>

using lvxio::RecordedCall;
using lvxio::Recording;

namespace {

RecordedCall call(const char* entry, std::vector<std::pair<std::string, std::string>> args,
                  uint32_t result, std::vector<std::pair<std::string, std::string>> outputs) {
    RecordedCall c;
    c.millis = 1234.5;
    c.thread = 0x2A;
    c.entry = entry;
    c.args = std::move(args);
    c.result = result;
    c.outputs = std::move(outputs);
    return c;
}

TEST(RecordingFormat, EveryKindOfCallSurvivesTheRoundTrip) {
    const std::string piece = simctl::testData(1000, 3);
    const std::vector<RecordedCall> calls = {
        call("PortOpenByLvx", {{"port", "1152"}}, 0xBEEF0001u, {}),
        call("GetModelNameByLvx", {}, 1, {{"text", "\"KT 9600 \\\"x\\\" \\x81\\\\\""}}),
        call("SendByLvx", Recording::sendArgs(simctl::prefixCommand().data(), 9), 1,
             {{"flag", "00"}}),
        call("SendByLvx", Recording::sendArgs(piece.data(), 1000), 0x1000, {{"flag", "00"}}),
        call("GetIoErrorCodeByLvx", {}, 1, {{"detail", "-81"}}),
        call("ReceiveByLvx", {{"count", "50"}}, 0x1000, {{"got", "0"}, {"data", ""}}),
        call("CheckDeviceIDByLvx", {}, 0xB000, {{"missing", "1"}}),
    };
    std::string text = std::string(Recording::Magic) + " 1\n# header\n";
    for (const RecordedCall& c : calls) {
        text += Recording::format(c) + "\n";
    }
    std::vector<std::string> problems;
    const std::vector<RecordedCall> read = Recording::parseAll(text, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(read.size(), calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(Recording::format(calls[i]));
        EXPECT_EQ(read[i].line, i + 3);
        EXPECT_EQ(read[i].entry, calls[i].entry);
        EXPECT_EQ(read[i].args, calls[i].args);
        EXPECT_EQ(read[i].result, calls[i].result);
        EXPECT_EQ(read[i].outputs, calls[i].outputs);
        EXPECT_EQ(read[i].thread, 0x2Au);
        EXPECT_DOUBLE_EQ(read[i].millis, 1234.5);
    }
    // A command is kept whole, a data piece as its length, CRC and ends.
    EXPECT_EQ(read[2].arg("data"), "1B01405A4B4C200D0A");
    EXPECT_FALSE(read[3].arg("crc").empty());
    EXPECT_EQ(read[3].arg("head").size(), 32u);
    EXPECT_TRUE(read[3].arg("data").empty());
    EXPECT_NE(Recording::sendArgs(piece.data(), 1000),
              Recording::sendArgs(simctl::testData(1000, 4).data(), 1000));
}

TEST(RecordingFormat, ABadLineIsNamedAndOperationsAreFound) {
    const std::string enter = simctl::prefixCommand() + simctl::enterDiagCommand();
    const std::string piece = simctl::testData(1000);
    std::string text = std::string(Recording::Magic) + " 1\n";
    text += Recording::format(call("PortOpenByLvx", {{"port", "1152"}}, 1, {})) + "\n";
    text +=
        Recording::format(call("SendByLvx", Recording::sendArgs(piece.data(), 1000), 1, {})) + "\n";
    text += "12.0 T1 SendByLvx count=9 -> 1\n";
    text += Recording::format(call("PortOpenByLvx", {{"port", "1152"}}, 1, {})) + "\n";
    text +=
        Recording::format(call("SendByLvx", Recording::sendArgs(enter.data(), 36), 1, {})) + "\n";
    // Verify against a printer without the keyword ends after reading the device ID.
    text += Recording::format(call("PortOpenByLvx", {{"port", "1152"}}, 1, {})) + "\n";
    text += Recording::format(call("GetDeviceIDByLvx", {{"size", "1024"}}, 1, {})) + "\n";
    std::vector<std::string> problems;
    const std::vector<RecordedCall> read = Recording::parseAll(text, problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].rfind("line 4: ", 0), 0u) << problems[0];
    EXPECT_EQ(replay::operations(read), (std::vector<std::string>{"update", "verify", "verify"}));
}

} // namespace
