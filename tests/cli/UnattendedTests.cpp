// The real program run from a command line, with its standard output in a file and no input:
// what only a process shows. Its status, what it printed, no window, the calls and bytes the
// printer got, and the stop from the console.
#include "AppTest.h"
#include "Product.h"

#include "tests/ports/RegistryPorts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using simctl::lpt;
using simctl::usb;

constexpr char LockName[] = "Global\\Corvane.PrinterPorts";
constexpr char Done[] = "The NVM update is completed when data LED turns off the light.\r\n"
                        "Then restart the printer and click [Verify] button to check the NVM "
                        "version.\r\n";
constexpr char Readings[] = "NVM version = 1.01.06\r\n11BA = 05\r\n12BA = AB\r\n";
constexpr char UsageFirstLine[] = "Usage:\r\n";

// Each call as the printer met it: the entry point, its arguments, its result and outputs.
std::vector<std::string> CallLines(const std::vector<simctl::LogRecord>& calls) {
    std::vector<std::string> lines;
    for (const simctl::LogRecord& call : calls) {
        std::string line = call.name;
        for (const auto& [key, value] : call.args) {
            line += " " + key + "=" + value;
        }
        line += " -> " + std::to_string(call.result);
        for (const auto& [key, value] : call.outputs) {
            line += " " + key + "=" + value;
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

// The spooler lists LPT1:, COM1: and USB001 for every case.
class UnattendedTest : public AppTest {
protected:
    void SetUp() override {
        ports_ = std::make_unique<portstest::RegistryPorts>(
            std::vector<std::string>{"LPT1:", "COM1:", "USB001"});
    }

    // A printer on USB001 that answers with its model and version, and none on LPT1:.
    static Setup usbPrinter(std::size_t dataSize = 5000) {
        Setup setup;
        setup.scenario.printer(usb(1)).rate(0).model("KT-9600").version("01.01.06");
        setup.scenario.printer(usb(1)).nvm(0x11BA, 0x05).nvm(0x12BA, 0xAB);
        setup.data = simctl::testData(dataSize);
        return setup;
    }

    // Prepares the program's folder for a run with arguments (UTF-8) and its standard output
    // in a file; the program starts in that folder.
    guitest::Driver& prepareUnattended(const Setup& setup, const std::string& arguments) {
        guitest::DriverOptions options;
        options.arguments = arguments;
        options.outputFile = "stdout.txt";
        return prepare(setup, std::move(options));
    }

    guitest::AppProcess& launchUnattended(const Setup& setup, const std::string& arguments) {
        prepareUnattended(setup, arguments);
        return launchPrepared();
    }

    // Runs it to its end, which it must reach by itself; its exit status.
    DWORD runUnattended(const Setup& setup, const std::string& arguments) {
        return launchUnattended(setup, arguments).waitForExit(product::TransferLimit);
    }

    std::string output() const { return driver().output(); }

    std::unique_ptr<portstest::RegistryPorts> ports_;
};

TEST_F(UnattendedTest, UpdateOfANamedPortSendsEveryByteAndSaysSo) {
    const Setup setup = usbPrinter();
    EXPECT_EQ(runUnattended(setup, "/update /port usb001"), 0u);
    EXPECT_EQ(output(), Done);
    EXPECT_EQ(capture(), *setup.data);
    EXPECT_TRUE(portClosedAtTheEnd());
}

TEST_F(UnattendedTest, SendThatFailsMidTransferIsACommunicationError) {
    Setup setup = usbPrinter();
    setup.scenario.printer(usb(1)).hardFail(2500, 0x1000, -5);
    EXPECT_EQ(runUnattended(setup, "/update /port USB001:"), 104u);
    EXPECT_EQ(output(), std::string(product::CommError) + "\r\n");
    EXPECT_EQ(capture(), setup.data->substr(0, 2500));
}

// The window's Update with "Auto selection" and the command line's give the printer the same
// calls, in the same order, and the same bytes.
TEST_F(UnattendedTest, UpdateMakesTheWindowsCallsInItsOrder) {
    Setup setup = usbPrinter(3500);
    setup.scenario.printer(lpt(1)).rate(0).check(0x0102);
    start(setup);
    clickUpdate();
    press(waitForBox(product::TransferLimit), IDOK);
    const std::vector<std::string> window = CallLines(calls());
    const std::string windowCapture = capture();
    ASSERT_FALSE(windowCapture.empty());

    EXPECT_EQ(runUnattended(setup, "/update"), 0u);
    EXPECT_EQ(CallLines(calls()), window);
    EXPECT_EQ(capture(), windowCapture);
}

// The three lines alone; with /expect another version is a failure that names both.
TEST_F(UnattendedTest, VerifyPrintsItsThreeLinesAndChecksTheExpectedVersion) {
    EXPECT_EQ(runUnattended(usbPrinter(), "/verify /expect 1.01.06"), 0u);
    EXPECT_EQ(output(), Readings);
    EXPECT_EQ(runUnattended(usbPrinter(), "-VERIFY -expect 1.01.05"), 215u);
    EXPECT_EQ(output(), std::string(Readings) +
                            "The printer's NVM version is 1.01.06, not the expected 1.01.05.\r\n");
}

// Without the library nothing waits for a click: the text, status 103, and the process ends.
TEST_F(UnattendedTest, MissingLibraryIsStatus103WithNoBox) {
    Setup setup = usbPrinter();
    setup.library.clear();
    EXPECT_EQ(runUnattended(setup, "/update"), 103u);
    EXPECT_EQ(output(), "Cannot found DLL files.\r\nThis program is aborted.\r\n");
}

// The list as the window's list reads, its models, and the port auto selection takes; the log
// in a folder outside the ANSI code page holds the same lines and the traces, in UTF-8.
TEST_F(UnattendedTest, ListPrintsThePortsAndTheLogKeepsThem) {
    prepareUnattended(usbPrinter(), u8"/list /log \"Журнал\\run.log\"");
    const std::filesystem::path folder =
        std::filesystem::path(driver().folder().path()) / std::filesystem::u8path(u8"Журнал");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_EQ(launchPrepared().waitForExit(product::TransferLimit), 0u);
    EXPECT_EQ(output(), "USB001 (KT-9600)\r\nLPT1:\r\nAuto selection: USB001\r\n");
    const std::string log = simctl::readFile(folder / "run.log");
    for (const char* line : {" USB001 (KT-9600)\r\n", " LPT1:\r\n", " Auto selection: USB001\r\n",
                             " Corvane: Port list: PortOpenByLvx failed"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " not in\n" << log;
    }
}

// Refused before the port library is called at all, each with its own status and text.
TEST_F(UnattendedTest, RefusalsCallNoPort) {
    struct Case {
        const char* arguments;
        enum { None, OwnedMutex, Event } holder;
        DWORD status;
        const char* firstLine;
    };
    const Case cases[] = {
        {"/update /bogus", Case::None, 87, UsageFirstLine},
        {"/update /log missing\\run.log", Case::None, 216,
         "The log file cannot be opened for appending.\r\n"},
        {"/update", Case::OwnedMutex, 208,
         "Another copy of this program is using the printer ports.\r\n"},
        {"/verify", Case::Event, 214,
         "The printer ports are locked by a program that is not a copy of this program.\r\n"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.arguments);
        fw::UniqueHandle holder;
        if (each.holder == Case::OwnedMutex) {
            holder.Reset(::CreateMutexA(nullptr, TRUE, LockName));
        } else if (each.holder == Case::Event) {
            holder.Reset(::CreateEventA(nullptr, TRUE, FALSE, LockName));
        }
        EXPECT_EQ(runUnattended(usbPrinter(), each.arguments), each.status);
        EXPECT_EQ(output().substr(0, std::string(each.firstLine).size()), each.firstLine);
        EXPECT_TRUE(calls().empty()) << CallLines(calls()).front();
    }
    EXPECT_EQ(runUnattended(usbPrinter(), "/?"), 0u);
    EXPECT_EQ(output().substr(0, std::string(UsageFirstLine).size()), UsageFirstLine);
}

// Nothing shows while the transfer runs: no window, no box. (The console's stop is tested in
// cli_tests through its handler: Wine's console here refuses GenerateConsoleCtrlEvent.)
TEST_F(UnattendedTest, NoWindowShowsDuringATransfer) {
    Setup setup = usbPrinter(60000);
    setup.scenario.printer(usb(1)).rate(20000);
    guitest::AppProcess& program = launchUnattended(setup, "/update");
    waitForSends(2, product::TransferLimit);
    for (const guitest::Window& window : program.topLevelWindows()) {
        EXPECT_FALSE(window.visible()) << window.className() << " \"" << window.caption() << "\"";
    }
    EXPECT_EQ(program.waitForExit(product::TransferLimit), 0u);
    EXPECT_EQ(output(), Done);
}
