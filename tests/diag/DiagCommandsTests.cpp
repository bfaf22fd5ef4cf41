// The diagnostic commands against the simulated printer: the bytes on the wire, one send per
// command and one receive per read, the pause after ENTER, failures passed on unchanged, and
// the reply checks on what the library really delivers.
#include "PrinterCommands.h"
#include "SimFolder.h"

#include "app/UpdaterApp.h"
#include "diag/DiagCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace wire;
using simctl::lpt;
using unittest::SimFolder;

// The pauses asked for, in order.
std::vector<uint32_t> pauses;

// Stands in for the printer's pause: records it and returns at once.
void RecordPause(uint32_t milliseconds) {
    pauses.push_back(milliseconds);
}

// The printer's settings of a case.
using PrinterSetup = std::function<void(simctl::Scenario::Printer&)>;

class DiagCommandsTest : public ::testing::Test {
protected:
    // The pause is recorded, never waited.
    void SetUp() override {
        pauses.clear();
        previousPause_ = DiagCommands::ReplacePauseForTesting(RecordPause);
    }
    // The next test gets the real pause back.
    void TearDown() override { DiagCommands::ReplacePauseForTesting(previousPause_); }

    // One instant printer on LPT1 with setup applied; the library loaded and the port open.
    void Start(const PrinterSetup& setup = {}) {
        simctl::Scenario scenario;
        simctl::Scenario::Printer& printer = scenario.printer(lpt(1)).rate(0);
        if (setup) {
            setup(printer);
        }
        folder_.Use(scenario);
        app_ = std::make_unique<UpdaterApp>();
        ASSERT_EQ(PortOk, app_->Ports().Open(lpt(1)));
    }
    // Prefix and ENTER, as the reads need them.
    void EnterLanguage() {
        ASSERT_EQ(PortOk, Diag().SendJobLanguagePrefix());
        ASSERT_EQ(PortOk, Diag().EnterDiagLanguage());
    }
    // The commands of the running application object.
    DiagCommands& Diag() { return app_->Diag(); }

    // The data of every SendByLvx so far, one entry per call.
    std::vector<std::string> Sends() const {
        std::vector<std::string> sends;
        for (const simctl::LogRecord& call : folder_.Calls()) {
            if (call.name == "SendByLvx") {
                EXPECT_EQ(call.number("count"), static_cast<long long>(call.bytes("data").size()));
                sends.push_back(call.bytes("data"));
            }
        }
        return sends;
    }
    // The entry points called after the port was opened.
    std::vector<std::string> CallsAfterOpen() const {
        std::vector<std::string> names = simctl::callNames(folder_.Calls());
        std::vector<std::string> after;
        bool open = false;
        for (const std::string& name : names) {
            if (open) {
                after.push_back(name);
            }
            open = open || name == "PortOpenByLvx";
        }
        return after;
    }

    SimFolder folder_;
    std::unique_ptr<UpdaterApp> app_;

private:
    DiagCommands::Pause previousPause_ = nullptr;
};

} // namespace

// The whole exchange of a verification, each command in one send, each read with one receive
// of a 50-byte buffer; the simulated printer understands every command.
TEST_F(DiagCommandsTest, EveryCommandGoesOutWholeInOneSend) {
    Start();
    EXPECT_EQ(PortOk, Diag().SendJobLanguagePrefix());
    EXPECT_EQ(PortOk, Diag().EnterDiagLanguage());
    uint8_t version[3] = {};
    EXPECT_EQ(PortOk, Diag().ReadNvmVersion(version[0], version[1], version[2]));
    uint8_t first = 0;
    uint8_t second = 0;
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0x11BA, first));
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0x12BA, second));
    EXPECT_EQ(PortOk, Diag().LeaveDiagLanguage());
    EXPECT_EQ(PortOk, Diag().SendJobLanguagePrefix());

    EXPECT_EQ(AllWrites, Sends());
    EXPECT_EQ(27u, Sends()[1].size());
    EXPECT_EQ('\0', Sends()[1].back());
    const std::vector<std::string> calls = {
        "SendByLvx",    "SendByLvx", "SendByLvx",    "ReceiveByLvx", "SendByLvx",
        "ReceiveByLvx", "SendByLvx", "ReceiveByLvx", "SendByLvx",    "SendByLvx"};
    EXPECT_EQ(calls, CallsAfterOpen());
    for (const simctl::LogRecord& call : folder_.Calls()) {
        if (call.name == "ReceiveByLvx") {
            EXPECT_EQ(50, call.number("count"));
        }
    }
    EXPECT_EQ(1, version[0]);
    EXPECT_EQ(0, version[1]);
    EXPECT_EQ(5, version[2]);
    EXPECT_EQ(0x05, first);
    EXPECT_EQ(0xAB, second);
    EXPECT_EQ(std::vector<uint32_t>{DiagCommands::EnterPauseMs}, pauses);
    EXPECT_EQ(2000u, DiagCommands::EnterPauseMs);
}

// Two upper-case digits each, high byte first, for any address.
TEST_F(DiagCommandsTest, MemoryReadsSendTheAddressHighByteFirstInUpperCase) {
    Start([](simctl::Scenario::Printer& p) {
        p.nvm(0x0005, 0x11).nvm(0xABCD, 0x5A).nvm(0xFF00, 0xC3);
    });
    EnterLanguage();
    uint8_t value = 0;
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0x0005, value));
    EXPECT_EQ(0x11, value);
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0xABCD, value));
    EXPECT_EQ(0x5A, value);
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0xFF00, value));
    EXPECT_EQ(0xC3, value);
    const std::vector<std::string> sends = Sends();
    ASSERT_EQ(5u, sends.size());
    EXPECT_EQ("CD 2,3,12,00,05\r\n", sends[2]);
    EXPECT_EQ("CD 2,3,12,AB,CD\r\n", sends[3]);
    EXPECT_EQ("CD 2,3,12,FF,00\r\n", sends[4]);
}

// The printer never switched when ENTER did not go out: no pause, and the code as it came.
TEST_F(DiagCommandsTest, EnterPausesOnlyAfterASuccessfulSend) {
    struct Case {
        uint16_t code;
        int16_t detail;
        PortResult expected;
    };
    for (const Case& c :
         {Case{0x0103, 0, 0x0103}, Case{0x1000, -5, PortIoError}, Case{0xB000, 0, PortNoLibrary}}) {
        SCOPED_TRACE(c.code);
        pauses.clear();
        Start([&](simctl::Scenario::Printer& p) { p.sendFail("@ZKL ENTER", c.code, c.detail); });
        EXPECT_EQ(PortOk, Diag().SendJobLanguagePrefix());
        EXPECT_EQ(c.expected, Diag().EnterDiagLanguage());
        EXPECT_TRUE(pauses.empty());
        app_.reset();
    }
}

// One read and what the printer does with it.
struct ReadCase {
    const char* name;
    PrinterSetup setup;
    // Reads the version when true, else the byte at 0x11BA.
    bool version;
    PortResult result;
    // The value read (the version's third byte), when the result is PortOk.
    uint8_t value;
    // Whether a receive followed the send.
    bool received;
};

// Lets gtest name the cases.
void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class DiagReadTest : public DiagCommandsTest, public ::testing::WithParamInterface<ReadCase> {};

// Failed sends skip the receive; failed receives pass their code on; a time-out counts as a
// reply with what arrived; the checks decide on exactly what one receive delivered.
TEST_P(DiagReadTest, GivesTheLibrarysCodeOrTheChecksVerdict) {
    const ReadCase& c = GetParam();
    Start(c.setup);
    EnterLanguage();
    uint8_t first = 0;
    uint8_t second = 0;
    uint8_t value = 0;
    const PortResult result = c.version ? Diag().ReadNvmVersion(first, second, value)
                                        : Diag().ReadMemoryByte(0x11BA, value);
    EXPECT_EQ(c.result, result);
    if (c.result == PortOk) {
        EXPECT_EQ(c.value, value);
    }
    // Prefix, ENTER, then the read's own send and, unless it failed, its one receive.
    const std::vector<std::string> calls = CallsAfterOpen();
    EXPECT_EQ(3, std::count(calls.begin(), calls.end(), "SendByLvx"));
    EXPECT_EQ(c.received ? 1 : 0, std::count(calls.begin(), calls.end(), "ReceiveByLvx"));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DiagReadTest,
    ::testing::Values(
        ReadCase{"VersionSendFails", [](auto& p) { p.sendFail("CD 5,2", 0x0103); }, true, 0x0103, 0,
                 false},
        ReadCase{"MemorySendFails", [](auto& p) { p.sendFail("CD 2,3,12,11,BA", 0x1000, -5); },
                 false, PortIoError, 0, false},
        ReadCase{"VersionReceiveFails", [](auto& p) { p.versionFail(0x0107); }, true, 0x0107, 0,
                 true},
        ReadCase{"MemoryReceiveFailsWithIoError",
                 [](auto& p) { p.addressFail(0x11BA, 0x1000, -5); }, false, PortIoError, 0, true},
        ReadCase{"VersionTimeOutWithReply",
                 [](auto& p) { p.versionTimeOut("DIAG CD=E2,01,01,02,03"); }, true, PortOk, 3,
                 true},
        ReadCase{"MemoryTimeOutWithReply",
                 [](auto& p) { p.addressTimeOut(0x11BA, "DIAG CD=12,7E"); }, false, PortOk, 0x7E,
                 true},
        ReadCase{"VersionTimeOutWithNothing", [](auto& p) { p.versionTimeOut(); }, true,
                 DiagReplyRejected, 0, true},
        ReadCase{"MemoryNothingPending", [](auto& p) { p.everyReceiveFail(0x1000, -109); }, false,
                 DiagReplyRejected, 0, true}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Replies, DiagReadTest,
    ::testing::Values(
        ReadCase{"Memory3F", [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,3F"); }, false,
                 PortOk, 0x3F, true},
        ReadCase{"MemoryLowerCase", [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,3f"); }, false,
                 DiagReplyRejected, 0, true},
        ReadCase{"MemoryOneDigit", [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,3"); }, false,
                 DiagReplyRejected, 0, true},
        ReadCase{"MemoryBlankInFront", [](auto& p) { p.addressReply(0x11BA, " DIAG CD=12,3F"); },
                 false, DiagReplyRejected, 0, true},
        ReadCase{"MemoryTextAfter", [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,3F,00"); },
                 false, PortOk, 0x3F, true},
        ReadCase{"MemoryEmpty", [](auto& p) { p.addressReply(0x11BA, ""); }, false,
                 DiagReplyRejected, 0, true},
        ReadCase{"Memory50BytesNoNul",
                 [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,C4" + std::string(37, 'F')); },
                 false, PortOk, 0xC4, true},
        ReadCase{"MemoryCutToTheBuffer",
                 [](auto& p) { p.addressReply(0x11BA, "DIAG CD=12,C4" + std::string(80, 'F')); },
                 false, PortOk, 0xC4, true},
        ReadCase{"Version010106", [](auto& p) { p.versionReply("DIAG CD=E2,01,01,01,06"); }, true,
                 PortOk, 6, true},
        ReadCase{"VersionOtherSeparators",
                 [](auto& p) { p.versionReply("DIAG CD=E2,01,01;01;06"); }, true, PortOk, 6, true},
        ReadCase{"VersionBadField", [](auto& p) { p.versionReply("DIAG CD=E2,01,01,0G,06"); }, true,
                 DiagReplyRejected, 0, true},
        ReadCase{"VersionLowerCase", [](auto& p) { p.versionReply("DIAG CD=E2,01,01,01,0a"); },
                 true, DiagReplyRejected, 0, true},
        ReadCase{"Version50BytesNoNul",
                 [](auto& p) { p.versionReply("DIAG CD=E2,01,01,01,09" + std::string(28, '9')); },
                 true, PortOk, 9, true}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

// Each read starts from a zero-filled buffer of its own: a long reply leaves nothing behind
// for a short one that follows.
TEST_F(DiagCommandsTest, EachReadStartsFromAnEmptyBuffer) {
    Start([](simctl::Scenario::Printer& p) {
        p.addressReply(0x11BA, "DIAG CD=12,3F" + std::string(30, 'A'))
            .addressReply(0x12BA, "DIAG CD=12,");
    });
    EnterLanguage();
    uint8_t value = 0;
    EXPECT_EQ(PortOk, Diag().ReadMemoryByte(0x11BA, value));
    EXPECT_EQ(DiagReplyRejected, Diag().ReadMemoryByte(0x12BA, value));
}
