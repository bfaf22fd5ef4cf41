// The port library binding against the simulated library: result codes, the look-up of every
// entry point at every call, the time-out rule of Receive, SendCounted, Open closing first.
#include "SimFolder.h"

#include "portlib/LorvexApi.h"
#include "portlib/PortLibrary.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using simctl::lpt;
using simctl::usb;
using unittest::SimFolder;

constexpr int32_t NoLibraryWidened = -20480;

// Names of the calls in the log, in order.
std::vector<std::string> Names(const SimFolder& folder) {
    return simctl::callNames(folder.Calls());
}

// Counts the calls of entry point name.
int CountOf(const std::vector<std::string>& names, const char* name) {
    int count = 0;
    for (const std::string& each : names) {
        count += each == name ? 1 : 0;
    }
    return count;
}

// Every forwarding operation once, on an open LPT1, with its result.
struct AllResults {
    PortResult open, close, check, model, ioError, send, receive, deviceId, timeOut, counted,
        receiveType;
};

// Calls every operation on a library that was set up with a default printer on LPT1.
AllResults CallEverything(PortLibrary& library) {
    AllResults r{};
    char model[lvx::ModelNameSize] = {};
    char deviceId[lvx::DeviceIdSize] = {};
    char reply[lvx::ReplySize] = {};
    uint32_t replyCount = sizeof reply;
    int16_t detail = 0;
    uint32_t sent = 0;
    const char data[] = "abc";
    r.timeOut = library.SetPortTimeOut({1, 2, 3, 4, 5});
    r.receiveType = library.SetReceiveType(3);
    r.open = library.Open(lpt(1));
    r.check = library.CheckDeviceId();
    r.model = library.GetModelName(model);
    r.deviceId = library.GetDeviceId(deviceId, sizeof deviceId);
    r.send = library.Send(data, 3);
    r.counted = library.SendCounted(data, 3, &sent);
    r.receive = library.Receive(reply, &replyCount);
    r.ioError = library.GetIoErrorCode(&detail);
    r.close = library.Close();
    return r;
}

TEST(PortLibraryTest, WithTheWholeLibraryEveryOperationSucceeds) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).rate(0);
    folder.Use(scenario);
    PortLibrary library(lvx::LibraryFileName);
    ASSERT_TRUE(library.IsLoaded());
    const AllResults r = CallEverything(library);
    EXPECT_EQ(PortOk, r.open);
    EXPECT_EQ(PortOk, r.check);
    EXPECT_EQ(PortOk, r.model);
    EXPECT_EQ(PortOk, r.deviceId);
    EXPECT_EQ(PortOk, r.send);
    EXPECT_EQ(PortOk, r.counted);
    // Nothing to answer outside the diagnostic language: the receive ends by its time-out.
    EXPECT_EQ(PortOk, r.receive);
    EXPECT_EQ(PortOk, r.close);
}

// Each variant of the library lacks one entry point: only the operations that need it fail.
TEST(PortLibraryTest, AMissingEntryPointFailsOnlyWhatNeedsIt) {

    for (const char* missing : lvx::EntryPointNames) {
        SCOPED_TRACE(missing);
        SimFolder folder;
        simctl::Scenario scenario;
        scenario.printer(lpt(1)).rate(0);
        folder.Use(scenario);
        const std::string file = std::string("Lorvex_no") + missing + ".dll";
        PortLibrary library(file.c_str());
        ASSERT_TRUE(library.IsLoaded());
        const AllResults r = CallEverything(library);
        const std::string name = missing;
        const bool openMissing = name == lvx::PortOpenName;
        const auto expect = [&](bool needs, PortResult result) {
            EXPECT_EQ(needs ? PortNoLibrary : PortOk, result);
        };
        expect(openMissing, r.open);
        expect(name == lvx::PortCloseName, r.close);
        expect(name == lvx::SetPortTimeOutName, r.timeOut);
        expect(name == lvx::SetReceiveTypeName, r.receiveType);
        if (openMissing) {
            // No port is open: what follows is the library's affair.
            continue;
        }
        expect(name == lvx::CheckDeviceIdName, r.check);
        expect(name == lvx::GetModelNameName, r.model);
        expect(name == lvx::GetDeviceIdName, r.deviceId);
        expect(name == lvx::SendName, r.send);
        expect(name == lvx::SendName || name == lvx::GetPreviousSentDataSizeName, r.counted);
        expect(name == lvx::GetIoErrorCodeName, r.ioError);
        if (name == lvx::ReceiveName) {
            EXPECT_EQ(PortNoLibrary, r.receive);
        } else if (name == lvx::GetIoErrorCodeName) {
            // The time-out's detail cannot be had: the failure stands.
            EXPECT_EQ(PortIoError, r.receive);
        } else {
            EXPECT_EQ(PortOk, r.receive);
        }
    }
    EXPECT_EQ(NoLibraryWidened, static_cast<int32_t>(PortNoLibrary));
}

TEST(PortLibraryTest, WithoutALibraryEveryOperationGivesNoLibrary) {
    PortLibrary library("no-such-library.dll");
    EXPECT_FALSE(library.IsLoaded());
    const AllResults r = CallEverything(library);
    for (const PortResult result : {r.open, r.close, r.check, r.model, r.ioError, r.send, r.receive,
                                    r.deviceId, r.timeOut, r.counted, r.receiveType}) {
        EXPECT_EQ(PortNoLibrary, result);
    }
}

TEST(PortLibraryTest, OpenClosesWhateverWasOpenFirst) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).rate(0);
    scenario.printer(usb(1));
    folder.Use(scenario);
    {
        PortLibrary library(lvx::LibraryFileName);
        EXPECT_EQ(PortOk, library.Open(lpt(1)));
        EXPECT_EQ(PortOk, library.Open(usb(1)));
        EXPECT_EQ(PortOk, library.Open(usb(1)));
    }
    const std::vector<std::string> expected = {"PortCloseByLvx", "PortOpenByLvx",  "PortCloseByLvx",
                                               "PortOpenByLvx",  "PortCloseByLvx", "PortOpenByLvx"};
    EXPECT_EQ(expected, Names(folder));
}

TEST(PortLibraryTest, OpenClosesFirstEvenWhenTheOpenEntryPointIsMissing) {
    SimFolder folder;
    PortLibrary library("Lorvex_noPortOpenByLvx.dll");
    EXPECT_EQ(PortNoLibrary, library.Open(lpt(1)));
    EXPECT_EQ(std::vector<std::string>{"PortCloseByLvx"}, Names(folder));
}

TEST(PortLibraryTest, CheckDeviceIdTakesBothSuccessValuesAndPassesOthersOn) {
    for (const uint16_t code :
         {uint16_t{1}, uint16_t{0x1001}, uint16_t{0x1000}, uint16_t{0}, uint16_t{0x8001}}) {
        SCOPED_TRACE(code);
        SimFolder folder;
        simctl::Scenario scenario;
        scenario.printer(lpt(1)).check(code);
        folder.Use(scenario);
        PortLibrary library(lvx::LibraryFileName);
        ASSERT_EQ(PortOk, library.Open(lpt(1)));
        const PortResult expected =
            code == 1 || code == 0x1001 ? PortOk : static_cast<PortResult>(code);
        EXPECT_EQ(expected, library.CheckDeviceId());
    }
}

TEST(PortLibraryTest, ReceiveCountsOnlyATimeOutAsSuccess) {
    struct Case {
        int16_t detail;
        PortResult expected;
    };
    for (const Case c : {Case{IoDetailReceiveTimeOut, PortOk}, Case{-5, PortIoError},
                         Case{IoDetailSendIncomplete, PortIoError}}) {
        SCOPED_TRACE(c.detail);
        SimFolder folder;
        simctl::Scenario scenario;
        scenario.printer(lpt(1)).everyReceiveFail(0x1000, c.detail);
        folder.Use(scenario);
        PortLibrary library(lvx::LibraryFileName);
        ASSERT_EQ(PortOk, library.Open(lpt(1)));
        char reply[lvx::ReplySize] = {};
        uint32_t count = sizeof reply;
        EXPECT_EQ(c.expected, library.Receive(reply, &count));
    }
}

TEST(PortLibraryTest, ReceiveHandsOnOtherFailuresUnchanged) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).everyReceiveFail(0x2345);
    folder.Use(scenario);
    PortLibrary library(lvx::LibraryFileName);
    ASSERT_EQ(PortOk, library.Open(lpt(1)));
    char reply[lvx::ReplySize] = {};
    uint32_t count = sizeof reply;
    EXPECT_EQ(0x2345, library.Receive(reply, &count));
    // The detail is asked for only after an I/O failure.
    EXPECT_EQ(0, CountOf(Names(folder), "GetIoErrorCodeByLvx"));
}

TEST(PortLibraryTest, SendCountedWithoutTheSentSizeEntryPointSendsNothing) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).rate(0);
    folder.Use(scenario);
    PortLibrary library("Lorvex_noGetPreviousSentDataSizeByLvx.dll");
    ASSERT_EQ(PortOk, library.Open(lpt(1)));
    uint32_t sent = 77;
    EXPECT_EQ(PortNoLibrary, library.SendCounted("abc", 3, &sent));
    EXPECT_EQ(0, CountOf(Names(folder), "SendByLvx"));
    EXPECT_TRUE(simctl::readFile(folder.Files().capture).empty());
}

TEST(PortLibraryTest, SendCountedRefreshesTheSentSizeAfterEverySend) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1)).rate(0).partial(400, 1).stall(1, 2);
    folder.Use(scenario);
    PortLibrary library(lvx::LibraryFileName);
    ASSERT_EQ(PortOk, library.Open(lpt(1)));
    const std::string data = simctl::testData(1000);
    uint32_t sent = 12345;
    int16_t detail = 0;

    EXPECT_EQ(PortIoError, library.SendCounted(data.data(), 1000, &sent));
    EXPECT_EQ(400u, sent);
    library.GetIoErrorCode(&detail);
    EXPECT_EQ(IoDetailSendIncomplete, detail);

    EXPECT_EQ(PortIoError, library.SendCounted(data.data() + 400, 600, &sent));
    EXPECT_EQ(0u, sent);

    EXPECT_EQ(PortOk, library.SendCounted(data.data() + 400, 600, &sent));
    EXPECT_EQ(600u, sent);
    EXPECT_EQ(data, simctl::readFile(folder.Files().capture));
    const std::vector<std::string> names = Names(folder);
    EXPECT_EQ(3, CountOf(names, "SendByLvx"));
    EXPECT_EQ(3, CountOf(names, "GetPreviousSentDataSizeByLvx"));
}

TEST(PortLibraryTest, SetPortTimeOutHandsOnTheFiveValuesInOrder) {
    SimFolder folder;
    {
        PortLibrary library(lvx::LibraryFileName);
        library.SetPortTimeOut({0xFFFFFFFF, 0xFFFFFFFE, 2000, 7, 2001});
        library.SetReceiveType(3);
    }
    const std::vector<simctl::LogRecord> calls = folder.Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("SetPortTimeOutByLvx", calls[0].name);
    EXPECT_EQ(0xFFFFFFFFLL, calls[0].number("first"));
    EXPECT_EQ(0xFFFFFFFELL, calls[0].number("second"));
    EXPECT_EQ(2000, calls[0].number("third"));
    EXPECT_EQ(7, calls[0].number("fourth"));
    EXPECT_EQ(2001, calls[0].number("fifth"));
    EXPECT_EQ("SetReceiveTypeByLvx", calls[1].name);
    EXPECT_EQ(3, calls[1].number("type"));
}

TEST(PortLibraryTest, ThePortLeftOpenIsNotClosedWhenTheLibraryIsFreed) {
    SimFolder folder;
    simctl::Scenario scenario;
    scenario.printer(lpt(1));
    folder.Use(scenario);
    {
        PortLibrary library(lvx::LibraryFileName);
        ASSERT_EQ(PortOk, library.Open(lpt(1)));
    }
    const std::vector<simctl::LogRecord> records = simctl::readLog(folder.Files().log);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(simctl::LogRecord::Kind::Unload, records.back().kind);
    EXPECT_EQ("PortOpenByLvx", simctl::callNames(simctl::callsOf(records)).back());
}

// The library is found beside the program, never through the current directory.
TEST(PortLibraryTest, LoadsFromTheProgramFolderWhateverTheCurrentDirectory) {
    SimFolder folder;
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
    {
        PortLibrary library(lvx::LibraryFileName);
        EXPECT_TRUE(library.IsLoaded());
    }
    ::SetCurrentDirectoryA(previous);
    // A library only in the current directory is not taken.
    const std::string strayName = "Lorvex_stray.dll";
    const std::string source = simctl::programFolder() + lvx::LibraryFileName;
    ASSERT_TRUE(::CopyFileA(source.c_str(), (folder.Path() + strayName).c_str(), FALSE));
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.Path().c_str()));
    {
        PortLibrary library(strayName.c_str());
        EXPECT_FALSE(library.IsLoaded());
    }
    ::SetCurrentDirectoryA(previous);
    ::DeleteFileA((folder.Path() + strayName).c_str());
}

} // namespace
