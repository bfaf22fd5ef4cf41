// The simulated port library's own contract: exports, buffer bounds, the diagnostic
// language, transfer rules, capture, NVM update and log. Loads the DLLs in-process.
#include "SimControl.h"

#include "portlib/LorvexApi.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using simctl::lpt;
using simctl::usb;

constexpr uint16_t IoError = 0x1000;

const auto& EntryPoints = lvx::EntryPointNames;

// A loaded DLL, freed on destruction.
class Library {
public:
    // Loads the DLL at path as the tool does: what it imports (the recorder's real library) is
    // looked for in its own folder and the system's.
    explicit Library(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), nullptr,
                                 LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    }
    // Frees the DLL if still loaded.
    ~Library() { unload(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // True when the DLL loaded.
    bool loaded() const { return module_ != nullptr; }
    // Frees the DLL now.
    void unload() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
            module_ = nullptr;
        }
    }
    // The export's address, null if missing.
    FARPROC symbol(const char* name) const { return GetProcAddress(module_, name); }
    // The export as a typed function pointer.
    template <class Fn> Fn get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(symbol(name)));
    }

private:
    HMODULE module_;
};

// The eleven entry points of a loaded Lorvex.dll.
struct Api {
    // Looks every entry point up.
    explicit Api(const Library& lib)
        : open(lib.get<lvx::PortOpenFn>(lvx::PortOpenName)),
          close(lib.get<lvx::PortCloseFn>(lvx::PortCloseName)),
          check(lib.get<lvx::CheckDeviceIdFn>(lvx::CheckDeviceIdName)),
          model(lib.get<lvx::GetModelNameFn>(lvx::GetModelNameName)),
          ioError(lib.get<lvx::GetIoErrorCodeFn>(lvx::GetIoErrorCodeName)),
          send(lib.get<lvx::SendFn>(lvx::SendName)),
          receive(lib.get<lvx::ReceiveFn>(lvx::ReceiveName)),
          deviceId(lib.get<lvx::GetDeviceIdFn>(lvx::GetDeviceIdName)),
          timeOuts(lib.get<lvx::SetPortTimeOutFn>(lvx::SetPortTimeOutName)),
          sentSize(lib.get<lvx::GetPreviousSentDataSizeFn>(lvx::GetPreviousSentDataSizeName)),
          receiveType(lib.get<lvx::SetReceiveTypeFn>(lvx::SetReceiveTypeName)) {}

    lvx::PortOpenFn open;
    lvx::PortCloseFn close;
    lvx::CheckDeviceIdFn check;
    lvx::GetModelNameFn model;
    lvx::GetIoErrorCodeFn ioError;
    lvx::SendFn send;
    lvx::ReceiveFn receive;
    lvx::GetDeviceIdFn deviceId;
    lvx::SetPortTimeOutFn timeOuts;
    lvx::GetPreviousSentDataSizeFn sentSize;
    lvx::SetReceiveTypeFn receiveType;

    // Sends bytes with a zeroed flag; returns the 16-bit result.
    uint16_t put(const std::string& bytes) const {
        uint8_t flag = 0;
        return static_cast<uint16_t>(
            send(bytes.data(), static_cast<uint32_t>(bytes.size()), &flag));
    }
    // The detail GetIoErrorCodeByLvx gives.
    int16_t detail() const {
        int16_t d = 0x7777;
        ioError(&d);
        return d;
    }
    // What GetPreviousSentDataSizeByLvx gives.
    uint32_t lastSent() const {
        uint32_t n = 0xDEADBEEF;
        sentSize(&n);
        return n;
    }
    // Receives into a zeroed 50-byte buffer; returns the result and the buffer up to the NUL.
    std::pair<uint16_t, std::string> get() const {
        char buffer[lvx::ReplySize] = {};
        uint32_t count = lvx::ReplySize;
        const auto rc = static_cast<uint16_t>(receive(buffer, &count));
        return {rc, std::string(buffer, strnlen(buffer, sizeof buffer))};
    }
    // Prefix and ENTER, as the tool starts a diagnostic exchange.
    void enterDiag() const {
        put(simctl::prefixCommand());
        put(simctl::enterDiagCommand());
    }
};

// Each test gets its own folder for scenario, log, capture and state, named by environment.
class SimTest : public ::testing::Test {
protected:
    // Creates the folder and points the library at it.
    void SetUp() override {
        static int counter = 0;
        folder_ = simctl::programFolder() + "simtest-" + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(++counter);
        CreateDirectoryA(folder_.c_str(), nullptr);
        files_ = simctl::SimFiles::in(folder_);
        simctl::exportToEnvironment(files_);
    }
    // Removes the folder's files and the folder.
    void TearDown() override {
        simctl::clearEnvironment();
        WIN32_FIND_DATAA found{};
        const std::string pattern = folder_ + "\\*";
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder_.c_str());
    }
    // The main simulated DLL's path.
    static std::string dllPath() { return simctl::programFolder() + lvx::LibraryFileName; }
    // A scenario with one instant printer on LPT1:.
    static simctl::Scenario instantLpt1() {
        simctl::Scenario s;
        s.printer(lpt(1)).rate(0);
        return s;
    }
    // The file path inside the test folder.
    std::string inFolder(const std::string& name) const { return folder_ + "\\" + name; }

    std::string folder_;
    simctl::SimFiles files_;
};

// --- Exports -------------------------------------------------------------------------------

TEST_F(SimTest, MainLibraryExportsAllElevenUndecoratedNames) {
    Library lib(dllPath());
    ASSERT_TRUE(lib.loaded());
    for (const char* name : EntryPoints) {
        EXPECT_NE(lib.symbol(name), nullptr) << name;
    }
}

TEST_F(SimTest, EachVariantLacksExactlyItsOwnEntryPoint) {
    for (const char* missing : EntryPoints) {
        Library lib(simctl::programFolder() + "Lorvex_no" + missing + ".dll");
        ASSERT_TRUE(lib.loaded()) << missing;
        for (const char* name : EntryPoints) {
            EXPECT_EQ(lib.symbol(name) == nullptr, std::strcmp(name, missing) == 0)
                << "variant without " << missing << ", export " << name;
        }
    }
}

// --- Buffers ---------------------------------------------------------------------------------

TEST_F(SimTest, ReceiveNeverWritesPastCountAndSetsItToTheBytesDelivered) {
    const std::string fifty(50, 'R');
    auto s = instantLpt1();
    s.printer(lpt(1)).versionReply(fifty).addressReply(0x11BA, fifty);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    api.enterDiag();

    std::array<char, 64> buffer{};
    buffer.fill('\xEE');
    uint32_t count = 50;
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.receive(buffer.data(), &count), 1);
    EXPECT_EQ(count, 50u);
    EXPECT_EQ(std::string(buffer.data(), 50), fifty);
    EXPECT_EQ(std::string(buffer.data() + 50, 14), std::string(14, '\xEE'));

    buffer.fill('\xEE');
    count = 7;
    api.put(simctl::addressReadCommand(0x11BA));
    EXPECT_EQ(api.receive(buffer.data(), &count), 1);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(std::string(buffer.data(), 7), std::string(7, 'R'));
    EXPECT_EQ(std::string(buffer.data() + 7, 57), std::string(57, '\xEE'));

    buffer.fill('\xEE');
    count = 50;
    EXPECT_EQ(static_cast<uint16_t>(api.receive(buffer.data(), &count)), IoError);
    EXPECT_EQ(api.detail(), -109);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(std::string(buffer.data(), 64), std::string(64, '\xEE'));
}

TEST_F(SimTest, SendWritesAtMostTheOneFlagByte) {
    auto s = instantLpt1();
    s.printer(lpt(1)).flag(0x7E);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    std::array<uint8_t, 4> flag = {0x00, 0xA5, 0xA5, 0xA5};
    const std::string data = simctl::testData(100);
    EXPECT_EQ(api.send(data.data(), 100, flag.data()), 1);
    EXPECT_EQ(flag[0], 0x7E);
    EXPECT_EQ(flag[1], 0xA5);
    EXPECT_EQ(flag[2], 0xA5);
    EXPECT_EQ(flag[3], 0xA5);
}

TEST_F(SimTest, NamesFillTheirBuffersWithoutNulAndNoFurther) {
    const std::string model100(100, 'M');
    const std::string id1024(1024, 'D');
    auto s = instantLpt1();
    s.printer(lpt(1)).model(model100).deviceId(id1024 + "overflow");
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);

    std::vector<char> model(120, '\xEE');
    EXPECT_EQ(api.model(model.data()), 1);
    EXPECT_EQ(std::string(model.data(), 100), model100);
    EXPECT_EQ(std::string(model.data() + 100, 20), std::string(20, '\xEE'));

    std::vector<char> id(1100, '\xEE');
    EXPECT_EQ(api.deviceId(id.data(), 1024), 1);
    EXPECT_EQ(std::string(id.data(), 1024), id1024);
    EXPECT_EQ(std::string(id.data() + 1024, 76), std::string(76, '\xEE'));

    int16_t detail[2] = {0x1111, 0x2222};
    EXPECT_EQ(api.ioError(detail), 1);
    EXPECT_EQ(detail[1], 0x2222);
}

// --- Diagnostic language -------------------------------------------------------------------

TEST_F(SimTest, DefaultPrinterAnswersReadsOnlyInsideTheLanguage) {
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    char model[lvx::ModelNameSize] = {};
    EXPECT_EQ(api.model(model), 1);
    EXPECT_STREQ(model, "KT-9600");
    EXPECT_EQ(api.check(), 1);

    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get(), std::make_pair(IoError, std::string()));
    EXPECT_EQ(api.detail(), -109);

    api.put(simctl::enterDiagCommand());
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get().first, IoError) << "ENTER without the prefix must not count";

    api.enterDiag();
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get(), std::make_pair(uint16_t{1}, std::string("DIAG CD=E2,01,01,00,05")));
    api.put(simctl::addressReadCommand(0x11BA));
    api.put(simctl::addressReadCommand(0x12BA));
    EXPECT_EQ(api.get().second, "DIAG CD=12,05");
    EXPECT_EQ(api.get().second, "DIAG CD=12,AB");
    api.put("CD 2,3,12,12,ba\r\n");
    api.put("CD 5,2,E2,01\n");
    EXPECT_EQ(api.get().first, IoError) << "malformed reads get no reply";

    api.put(simctl::leaveDiagCommand());
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get().first, IoError);
    EXPECT_EQ(api.close(), 1);
}

TEST_F(SimTest, ReplyOverridesTimeOutsAndFailures) {
    auto s = instantLpt1();
    s.printer(lpt(1))
        .versionReply("xyz")
        .addressTimeOut(0x11BA, "DIAG CD")
        .addressFail(0x12BA, 0x0103)
        .sendFail("CD 2,3,12,00", IoError, -5);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    api.enterDiag();
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get(), std::make_pair(uint16_t{1}, std::string("xyz")));
    api.put(simctl::addressReadCommand(0x11BA));
    EXPECT_EQ(api.get(), std::make_pair(IoError, std::string("DIAG CD")));
    EXPECT_EQ(api.detail(), -109);
    api.put(simctl::addressReadCommand(0x12BA));
    EXPECT_EQ(api.get(), std::make_pair(uint16_t{0x0103}, std::string()));

    const std::string before = simctl::readFile(files_.capture);
    EXPECT_EQ(api.put(simctl::addressReadCommand(0x0010)), IoError);
    EXPECT_EQ(api.detail(), -5);
    EXPECT_EQ(api.lastSent(), 0u);
    EXPECT_EQ(simctl::readFile(files_.capture), before) << "a failed send accepts nothing";
    EXPECT_EQ(api.get().first, IoError) << "the refused read must not be answered";
}

// Call rules count each entry point's calls from the reading of the scenario, which between
// sessions any call does: the first close, before any open, is already call 1 of its entry.
TEST_F(SimTest, CallRulesFailOrGarbleTheNthCallOfAnEntryPoint) {
    auto s = instantLpt1();
    s.failCall(lvx::PortCloseName, 0x0103, 0, 1)
        .failCall(lvx::SendName, IoError, -5, 2)
        .upperBits(lvx::GetPreviousSentDataSizeName, 0xBEEF, 2)
        .failCall(lvx::ReceiveName, IoError, -109, 1, 7)
        .failCall(lvx::GetDeviceIdName, 0x0104);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    // The whole return register, as the rules leave it.
    const auto sentSize =
        lib.get<uint32_t(__stdcall*)(uint32_t*)>(lvx::GetPreviousSentDataSizeName);

    EXPECT_EQ(api.close(), 0x0103);
    ASSERT_EQ(api.open(lpt(1)), 1);
    char id[lvx::DeviceIdSize] = {};
    EXPECT_EQ(api.deviceId(id, sizeof id), 0x0104);
    EXPECT_EQ(id[0], '\0') << "a refused call writes nothing";
    EXPECT_EQ(api.put(simctl::prefixCommand()), 1);
    EXPECT_EQ(api.put(simctl::enterDiagCommand()), IoError);
    EXPECT_EQ(api.detail(), -5);
    EXPECT_EQ(api.lastSent(), 0u);
    EXPECT_EQ(simctl::readFile(files_.capture), simctl::prefixCommand())
        << "refused: nothing taken";
    EXPECT_EQ(api.put(simctl::enterDiagCommand()), 1);
    uint32_t sent = 0;
    EXPECT_EQ(sentSize(&sent), 0xBEEF0001u) << "call 2 of its entry";
    EXPECT_EQ(sent, simctl::enterDiagCommand().size()) << "the call itself acts as always";
    EXPECT_EQ(sentSize(&sent), 1u);

    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get(), std::make_pair(IoError, std::string("DIAG CD"))) << "7 bytes delivered";
    EXPECT_EQ(api.detail(), -109);
    EXPECT_EQ(api.get().first, IoError) << "the rest of that reply is lost";
    api.put(simctl::addressReadCommand(0x11BA));
    EXPECT_EQ(api.get(), std::make_pair(uint16_t{1}, std::string("DIAG CD=12,05")));
    EXPECT_EQ(api.close(), 1);

    const auto records = simctl::readLog(files_.log);
    std::vector<std::string> notes;
    for (const auto& record : records) {
        if (record.kind == simctl::LogRecord::Kind::Note &&
            record.note.find(" rule matched call ") != std::string::npos) {
            notes.push_back(record.note);
        }
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"fail rule matched call 1 of PortCloseByLvx",
                                               "fail rule matched call 1 of GetDeviceIDByLvx",
                                               "fail rule matched call 2 of SendByLvx",
                                               "upper rule matched call 2 of "
                                               "GetPreviousSentDataSizeByLvx",
                                               "fail rule matched call 1 of ReceiveByLvx"}));

    // A changed scenario starts the count again.
    auto again = instantLpt1();
    again.failCall(lvx::PortOpenName, IoError, -5, 1);
    ASSERT_TRUE(again.write(files_.scenario));
    EXPECT_EQ(api.open(lpt(1)), IoError);
    EXPECT_EQ(api.open(lpt(1)), 1);
}

// --- Transfer rules and capture ------------------------------------------------------------

// Sends data as a careful tool does: on -81 it resumes after what was delivered.
// Returns the number of calls, or -1 if a call fails otherwise or the limit is reached.
int sendAll(const Api& api, const std::string& data, std::size_t chunk) {
    std::size_t offset = 0;
    int calls = 0;
    while (offset < data.size() && calls < 1000) {
        const std::size_t n = std::min(chunk, data.size() - offset);
        ++calls;
        const uint16_t rc = api.put(data.substr(offset, n));
        if (rc == 1) {
            offset += n;
        } else if (rc == IoError && api.detail() == -81) {
            offset += api.lastSent();
        } else {
            return -1;
        }
    }
    return offset == data.size() ? calls : -1;
}

TEST_F(SimTest, CaptureHoldsExactlyTheAcceptedBytesUnderPartialSendsAndStalls) {
    auto s = instantLpt1();
    s.printer(lpt(1)).partial(400).partial(123, 3).stall(2, 5);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    const std::string data = simctl::testData(3000, 7);
    EXPECT_EQ(sendAll(api, data, 1000), 11);
    EXPECT_EQ(simctl::readFile(files_.capture), data);

    std::vector<long long> sent;
    for (const auto& r : simctl::callsOf(simctl::readLog(files_.log))) {
        if (r.name == "SendByLvx") {
            sent.push_back(r.number("sent"));
        }
    }
    const std::vector<long long> expected = {400, 400, 123, 400, 0, 0, 400, 400, 400, 400, 77};
    EXPECT_EQ(sent, expected);
}

TEST_F(SimTest, HardFailureStopsAtItsByteAndStaysBroken) {
    auto s = instantLpt1();
    s.printer(lpt(1)).hardFail(1000, IoError, -5);
    s.printer(usb(1)).rate(0).hardFail(10, 0xB000);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    const std::string data = simctl::testData(3000);
    ASSERT_EQ(api.open(lpt(1)), 1);
    EXPECT_EQ(api.put(data.substr(0, 750)), 1);
    EXPECT_EQ(api.put(data.substr(750, 750)), IoError);
    EXPECT_EQ(api.detail(), -5);
    EXPECT_EQ(api.lastSent(), 250u);
    EXPECT_EQ(api.put(data.substr(1000, 750)), IoError);
    EXPECT_EQ(api.lastSent(), 0u);
    EXPECT_EQ(simctl::readFile(files_.capture), data.substr(0, 1000));

    ASSERT_EQ(api.close(), 1);
    ASSERT_EQ(api.open(usb(1)), 1);
    EXPECT_EQ(api.put(data.substr(0, 50)), 0xB000);
    EXPECT_EQ(api.detail(), -5) << "a non-I/O failure leaves the detail alone";
    EXPECT_EQ(api.lastSent(), 10u);
}

TEST_F(SimTest, OverReportAndStallForEver) {
    auto s = instantLpt1();
    s.printer(lpt(1)).partial(100, 1).overReport(50, 1).stall(0, 2);
    ASSERT_TRUE(s.write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    const std::string data = simctl::testData(500);
    EXPECT_EQ(api.put(data), IoError);
    EXPECT_EQ(api.lastSent(), 550u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(api.put(data), IoError);
        EXPECT_EQ(api.detail(), -81);
        EXPECT_EQ(api.lastSent(), 0u);
    }
    EXPECT_EQ(simctl::readFile(files_.capture), data.substr(0, 100));
}

// --- NVM update ----------------------------------------------------------------------------

TEST_F(SimTest, IntactImageUpdatesTheVersionForLaterLoads) {
    auto s = instantLpt1();
    s.printer(lpt(1)).partial(700);
    ASSERT_TRUE(s.write(files_.scenario));
    {
        Library lib(dllPath());
        Api api(lib);
        ASSERT_EQ(api.open(lpt(1)), 1);
        EXPECT_GT(sendAll(api, simctl::nvmImage("01.01.06", 5000), 1024), 0);
        api.enterDiag();
        api.put(simctl::versionReadCommand());
        EXPECT_EQ(api.get().second, "DIAG CD=E2,01,01,01,06");
    }
    EXPECT_EQ(simctl::storedVersion(files_.state, lpt(1)), "01.01.06");
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    api.enterDiag();
    api.put(simctl::versionReadCommand());
    EXPECT_EQ(api.get().second, "DIAG CD=E2,01,01,01,06");
}

TEST_F(SimTest, DamagedOrInterruptedImagesChangeNothing) {
    ASSERT_TRUE(instantLpt1().write(files_.scenario));
    const std::string image = simctl::nvmImage("01.01.06", 3000);
    std::string flipped = image;
    flipped[1500] = static_cast<char>(flipped[1500] ^ 0x01);
    std::string repeated = image.substr(0, 2000) + image.substr(1900);
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    EXPECT_EQ(api.put(flipped), 1);
    EXPECT_EQ(api.put(repeated), 1);
    EXPECT_EQ(api.put(image.substr(0, 1000)), 1);
    api.enterDiag();
    api.put("\r\n" + simctl::leaveDiagCommand());
    EXPECT_EQ(api.put(image.substr(1000)), 1) << "ENTER broke the image off";
    api.enterDiag();
    EXPECT_EQ(api.put(image), 1) << "inside the language it is no image";
    api.put("\r\n" + simctl::versionReadCommand());
    EXPECT_EQ(api.get().second, "DIAG CD=E2,01,01,00,05");
    EXPECT_EQ(simctl::storedVersion(files_.state, lpt(1)), "");
}

TEST_F(SimTest, SampleUpdateFileFromTheBuildIsAnIntactImage) {
    const std::string sample = simctl::readFile(simctl::programFolder() + simctl::SampleImageName);
    ASSERT_GE(sample.size(), 120u * 1000);
    ASSERT_LE(sample.size(), 200u * 1024);
    ASSERT_TRUE(instantLpt1().write(files_.scenario));
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    EXPECT_GT(sendAll(api, sample, 4096), 0);
    EXPECT_EQ(simctl::storedVersion(files_.state, lpt(1)), simctl::SampleImageVersion);
}

// --- Scenario and log ----------------------------------------------------------------------

TEST_F(SimTest, ScenarioIsReReadAtEachOpen) {
    Library lib(dllPath());
    Api api(lib);
    ASSERT_EQ(api.open(lpt(1)), 1);
    EXPECT_EQ(api.close(), 1);
    EXPECT_EQ(api.open(usb(1)), simctl::NoPrinterResult);

    simctl::Scenario s;
    s.printer(usb(1)).model("KT-9200 \"#1\"").check(0x0103);
    s.printer(lpt(2)).open(IoError, -30);
    ASSERT_TRUE(s.write(files_.scenario));
    EXPECT_EQ(api.open(lpt(1)), simctl::NoPrinterResult);
    EXPECT_EQ(api.check(), simctl::NotOpenResult);
    EXPECT_EQ(api.open(lpt(2)), IoError);
    EXPECT_EQ(api.detail(), -30);
    ASSERT_EQ(api.open(usb(1)), 1);
    EXPECT_EQ(api.check(), 0x0103);
    char model[lvx::ModelNameSize] = {};
    EXPECT_EQ(api.model(model), 1);
    EXPECT_STREQ(model, "KT-9200 \"#1\"");

    const auto records = simctl::readLog(files_.log);
    for (const auto& r : records) {
        EXPECT_EQ(r.note.find("scenario problem"), std::string::npos) << r.raw;
    }
    const auto calls = simctl::callsOf(records);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().name, "GetModelNameByLvx");
    EXPECT_EQ(calls.back().value("text"), "KT-9200 \"#1\"");
}

TEST_F(SimTest, LogRecordsLoadEveryCallAndUnloadWithThePortStillOpen) {
    const std::string shortData = "\x1B\x01@ZKL \r\n";
    {
        Library lib(dllPath());
        Api api(lib);
        api.timeOuts(0xFFFFFFFF, 0xFFFFFFFF, 2000, 0xFFFFFFFF, 2000);
        api.receiveType(3);
        ASSERT_EQ(api.open(lpt(1)), 1);
        api.put(shortData);
        api.put(simctl::testData(65));
    }
    const auto records = simctl::readLog(files_.log);
    std::vector<simctl::LogRecord> main;
    for (const auto& r : records) {
        if (r.kind != simctl::LogRecord::Kind::Note) {
            main.push_back(r);
        }
    }
    ASSERT_EQ(main.size(), 7u);
    EXPECT_EQ(main[0].kind, simctl::LogRecord::Kind::Load);
    EXPECT_EQ(main[1].name, "SetPortTimeOutByLvx");
    EXPECT_EQ(main[1].number("first"), 0xFFFFFFFFLL);
    EXPECT_EQ(main[1].number("third"), 2000);
    EXPECT_EQ(main[1].number("fifth"), 2000);
    EXPECT_EQ(main[2].name, "SetReceiveTypeByLvx");
    EXPECT_EQ(main[2].number("type"), 3);
    EXPECT_EQ(main[3].name, "PortOpenByLvx");
    EXPECT_EQ(main[3].number("port"), lpt(1));
    EXPECT_EQ(main[3].result, 1);
    EXPECT_EQ(main[4].bytes("data"), shortData);
    EXPECT_EQ(main[4].number("count"), 9);
    EXPECT_FALSE(main[5].has("data"));
    EXPECT_EQ(main[5].number("count"), 65);
    EXPECT_EQ(main[6].kind, simctl::LogRecord::Kind::Unload);
    EXPECT_EQ(main[6].value("how"), "free");
    EXPECT_EQ(main[6].number("open"), lpt(1));
    for (const auto& r : main) {
        EXPECT_EQ(r.pid, GetCurrentProcessId());
    }
}

// --- The recording library over the simulator ---------------------------------------------

// Every call of a short session on a library, as the caller sees it: the whole return
// register and every byte of every output buffer (pre-filled with 0xCC to show what is written).
std::vector<std::string> exercise(const Library& lib) {
    using Raw0 = uint32_t(__stdcall*)();
    using Raw1 = uint32_t(__stdcall*)(void*);
    using Raw2 = uint32_t(__stdcall*)(void*, uint32_t*);
    using SendRaw = uint32_t(__stdcall*)(const void*, uint32_t, uint8_t*);
    std::vector<std::string> seen;
    const auto note = [&](uint32_t result, const void* buffer, std::size_t size) {
        seen.push_back(std::to_string(result) + " " +
                       std::string(static_cast<const char*>(buffer), size));
    };
    std::array<char, lvx::DeviceIdSize> buffer{};
    const auto fresh = [&] { buffer.fill('\xCC'); };
    const auto send = [&](const std::string& bytes) {
        uint8_t flag = 0xCC;
        note(lib.get<SendRaw>(lvx::SendName)(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                             &flag),
             &flag, 1);
    };
    note(lib.get<uint32_t(__stdcall*)(uint16_t)>(lvx::PortOpenName)(lpt(1)), nullptr, 0);
    fresh();
    note(lib.get<Raw1>(lvx::GetModelNameName)(buffer.data()), buffer.data(), 120);
    fresh();
    note(lib.get<uint32_t(__stdcall*)(char*, uint32_t)>(lvx::GetDeviceIdName)(buffer.data(), 64),
         buffer.data(), 80);
    note(lib.get<Raw0>(lvx::CheckDeviceIdName)(), nullptr, 0);
    send(simctl::testData(1000));
    for (const char* entry : {lvx::GetIoErrorCodeName, lvx::GetPreviousSentDataSizeName}) {
        fresh();
        note(lib.get<Raw1>(entry)(buffer.data()), buffer.data(), 8);
    }
    send(simctl::prefixCommand() + simctl::enterDiagCommand());
    send(simctl::versionReadCommand());
    for (int i = 0; i < 2; ++i) {
        fresh();
        uint32_t count = lvx::ReplySize;
        note(lib.get<Raw2>(lvx::ReceiveName)(buffer.data(), &count), buffer.data(), 60);
        seen.back() += " count " + std::to_string(count);
    }
    note(lib.get<Raw0>(lvx::PortCloseName)(), nullptr, 0);
    return seen;
}

// The caller sees the same as without the recorder, upper halves included; the printer takes
// the same bytes; the close writes the calls out, the unload the rest.
TEST_F(SimTest, RecorderPassesEverythingOnAndRecordsIt) {
    simctl::Scenario scenario = instantLpt1();
    scenario.printer(lpt(1)).model("KT-9200").partial(400).versionReply("DIAG CD=E2,01,01,00,07");
    scenario.upperBits(lvx::PortOpenName, 0xBEEF).upperBits(lvx::ReceiveName, 0x00A5, 2);
    ASSERT_TRUE(scenario.write(files_.scenario));

    std::vector<std::string> plain;
    {
        Library lib(dllPath());
        ASSERT_TRUE(lib.loaded());
        plain = exercise(lib);
    }
    const std::string plainCapture = simctl::readFile(files_.capture);
    ASSERT_TRUE(simctl::removeFile(files_.capture));

    ASSERT_TRUE(CopyFileA(dllPath().c_str(), inFolder("Lorvex.real.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((simctl::programFolder() + "recorder\\Lorvex.dll").c_str(),
                          inFolder("Lorvex.dll").c_str(), FALSE));
    Library recorder(inFolder("Lorvex.dll"));
    ASSERT_TRUE(recorder.loaded());
    EXPECT_EQ(exercise(recorder), plain);
    EXPECT_EQ(simctl::readFile(files_.capture), plainCapture);
    EXPECT_EQ(plain.front(), std::to_string(0xBEEF0001u) + " ");

    const std::string closed = simctl::readFile(inFolder("Lorvex.rec"));
    EXPECT_EQ(closed.rfind("# Lorvex recording 1\n", 0), 0u);
    for (const char* part :
         {" PortOpenByLvx port=1152 -> 0xBEEF0001\n", " text=\"KT-9200\"\n",
          " GetIoErrorCodeByLvx -> 0x00000001 detail=-81\n", " sent=400\n",
          " SendByLvx count=1000 crc=", "data=444941472043443D45322C30312C30312C30302C3037\n",
          " ReceiveByLvx count=50 -> 0x00A51000 got=0 data=\n",
          " PortCloseByLvx -> 0x00000001\n"}) {
        EXPECT_NE(closed.find(part), std::string::npos) << part;
    }
    recorder.unload();
    const std::string unloaded = simctl::readFile(inFolder("Lorvex.rec"));
    EXPECT_EQ(unloaded, closed + "# end of recording (unload)\n");
}

// Where nothing can be written beside the library (here a folder stands in the recording's
// way), the recording goes to %TEMP%.
TEST_F(SimTest, RecorderFallsBackToTheTemporaryFolder) {
    ASSERT_TRUE(CopyFileA(dllPath().c_str(), inFolder("Lorvex.real.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((simctl::programFolder() + "recorder\\Lorvex.dll").c_str(),
                          inFolder("Lorvex.dll").c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA(inFolder("Lorvex.rec").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(inFolder("temp").c_str(), nullptr));
    char previous[MAX_PATH + 1] = {};
    const DWORD kept = GetEnvironmentVariableA("TMP", previous, sizeof previous);
    SetEnvironmentVariableA("TMP", (inFolder("temp") + "\\").c_str());
    {
        Library recorder(inFolder("Lorvex.dll"));
        ASSERT_TRUE(recorder.loaded());
        recorder.get<lvx::SetReceiveTypeFn>(lvx::SetReceiveTypeName)(3);
    }
    SetEnvironmentVariableA("TMP", kept > 0 && kept <= MAX_PATH ? previous : nullptr);
    const std::string moved = inFolder("temp\\Lorvex.rec");
    EXPECT_NE(simctl::readFile(moved).find(" SetReceiveTypeByLvx type=3 -> 0x00000001\n"),
              std::string::npos);
    DeleteFileA(moved.c_str());
    RemoveDirectoryA(inFolder("temp").c_str());
    RemoveDirectoryA(inFolder("Lorvex.rec").c_str());
}

} // namespace
