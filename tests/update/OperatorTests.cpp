// What an operator's keys, a shutdown, a second copy and odd files can do to the real program:
// each case a fault once seen, driven from outside with real input where keys and clicks count.
#include "AppTest.h"

#include "Product.h"
#include "fw/UniqueHandle.h"
#include "Wait.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using guitest::IconKind;
using guitest::Millis;
using guitest::Window;

constexpr char PortsInUse[] = "Another copy of this program is using the printer ports.\r\n"
                              "Wait until it has finished, then try again.";
constexpr char InUseText[] = "\"NV(01_01_06)_update.dcc\" file is in use by another program.\r\n"
                             "Close that program, then try again. Nothing was sent to the printer.";
constexpr char ChangedText[] = "\"NV(01_01_06)_update.dcc\" file changed during the update.\r\n"
                               "The printer did not receive the update data as it was. Run Update "
                               "again before using the printer.";
constexpr char DataFileName[] = "NV(01_01_06)_update.dcc";

// An ASCII test path in UTF-16.
std::wstring Wide(const std::string& path) {
    return std::wstring(path.begin(), path.end());
}

// The data file under a path of any length: the wide call with the "\\?\" prefix.
bool WriteLongPathFile(const std::string& path, const std::string& bytes) {
    return simctl::writeFile(L"\\\\?\\" + Wide(path), bytes);
}

// Where Wine keeps a file on the host; empty outside Wine.
std::string HostPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = toUnix != nullptr ? toUnix(Wide(path).c_str()) : nullptr;
    if (unixPath == nullptr) {
        return std::string();
    }
    const std::string copy = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return copy;
}

// Starts a host program, as another machine on a share would act on the file meanwhile. Wine
// starts a host executable given by its host path, but hands back no usable handle of it: the
// caller waits for what it does.
bool StartOnHost(const std::string& commandLine) {
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    return ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info) != FALSE;
}

// The size of a file as the file system tells it, without opening the file.
std::optional<uint64_t> SizeOf(const std::string& path) {
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(path, error);
    return error ? std::nullopt : std::optional<uint64_t>(size);
}

} // namespace

class OperatorTest : public AppTest {
protected:
    // A printer on LPT1 that takes two pieces and then nothing, for ever.
    void StartStalled() {
        Setup setup;
        setup.scenario.printer(simctl::lpt(1)).rate(0).latency(5).stall(0, 3);
        setup.data = simctl::testData(10000);
        start(setup);
    }

    // Esc, then Yes to the question: the stopped transfer's box.
    Window StopTheTransfer() const {
        guitest::pressKey(main_, VK_ESCAPE);
        const Window question = waitForBox();
        press(question, IDYES);
        return waitForBox(product::TransferLimit);
    }

    // Calls of the library that one process made.
    std::vector<std::string> CallsOf(DWORD processId) const {
        std::vector<std::string> names;
        for (const simctl::LogRecord& call : calls()) {
            if (call.pid == processId) {
                names.push_back(call.name);
            }
        }
        return names;
    }
};

// Keys given while Verify holds the window (its 2-second pause after ENTER) must not answer the
// box that shows the version: the box stays until the operator closes it.
TEST_F(OperatorTest, KeysPressedDuringVerifyDoNotCloseItsResult) {
    Setup setup;
    setup.scenario = instantPrinter();
    start(setup);
    guitest::clickCentre(control(IDC_VERIFY));
    guitest::waitFor("Verify to send ENTER and pause", [&] {
        for (const simctl::LogRecord& call : calls()) {
            if (call.name == "SendByLvx" &&
                call.bytes("data").find("ENTER LANGUAGE=DIAG") != std::string::npos) {
                return true;
            }
        }
        return false;
    });
    guitest::pressKey(main_, VK_RETURN);
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box).substr(0, 13), "NVM version =");
    guitest::settle(Millis{500});
    EXPECT_TRUE(box.exists() && box.visible()) << "the queued Enter closed the result";
    press(box, IDOK);
}

// However Update was started and its box closed, the focus goes back to Update afterwards, not
// to the group box where Enter means OK and ends the program; Enter then starts Update again.
TEST_F(OperatorTest, FocusReturnsToUpdateAfterTheResult) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(3000);
    start(setup);
    const Window update = control(IDC_UPDATE);
    for (const bool byKeys : {false, true}) {
        SCOPED_TRACE(byKeys ? "Tab, Space, Enter" : "mouse");
        if (byKeys) {
            main_.send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(IDC_PORT_LIST).handle()),
                       TRUE);
            guitest::pressKey(main_, VK_TAB);
            guitest::waitFor("Tab to reach Update",
                             [&] { return guitest::focusedWindow(main_) == update; });
            guitest::pressKey(main_, VK_SPACE);
        } else {
            guitest::clickCentre(update);
        }
        const Window box = waitForBox(product::TransferLimit);
        ASSERT_EQ(box.caption(), "Completion");
        if (byKeys) {
            guitest::pressKey(box, VK_RETURN);
        } else {
            guitest::clickCentre(box.child(IDOK));
        }
        app().waitForWindowGone(box);
        waitUntilIdle();
        EXPECT_NO_THROW(guitest::waitFor("the focus back on Update",
                                         [&] { return guitest::focusedWindow(main_) == update; }))
            << "focus on \"" << guitest::focusedWindow(main_).text() << "\"";
    }
    guitest::pressKey(main_, VK_RETURN);
    const Window again = waitForBox(product::TransferLimit);
    EXPECT_EQ(again.caption(), "Completion");
    press(again, IDOK);
    EXPECT_TRUE(app().running());
}

// An empty data file sends nothing and is told as a failure that names the file.
TEST_F(OperatorTest, EmptyDataFileIsAFailureAndSendsNothing) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = std::string();
    start(setup);
    clickUpdate();
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), "\"NV(01_01_06)_update.dcc\" file is empty.\r\n"
                                         "Nothing was sent to the printer.");
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
    press(box, IDOK);
    EXPECT_EQ(sendCount(), 0u);
}

// A library that answers the open with 0xFF0B (-245 widened) is a port failure, not a missing
// data file: automatic detection finds no printer, and opening that port gives 0xFF0B too.
TEST_F(OperatorTest, OpenAnsweredWith0xFF0BIsACommunicationError) {
    Setup setup;
    setup.scenario.noPrinterResult(0xFF0B).printer(simctl::lpt(1)).open(0xFF0B);
    setup.data = simctl::testData(3000);
    start(setup);
    clickUpdate();
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), product::CommError);
    press(box, IDOK);
}

// While the worker runs the window refuses the end of the session; once it has ended it
// agrees again.
TEST_F(OperatorTest, SessionEndIsRefusedOnlyDuringTheTransfer) {
    StartStalled();
    EXPECT_EQ(main_.trySend(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 5000, SMTO_ABORTIFHUNG),
              TRUE);
    clickUpdate();
    waitForSends(4);
    EXPECT_EQ(main_.trySend(WM_QUERYENDSESSION, 0, 0, 5000, SMTO_ABORTIFHUNG), FALSE);
    EXPECT_EQ(main_.trySend(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 5000, SMTO_ABORTIFHUNG),
              FALSE);
    const Window box = StopTheTransfer();
    press(box, IDOK);
    waitUntilIdle();
    EXPECT_EQ(main_.trySend(WM_QUERYENDSESSION, 0, 0, 5000, SMTO_ABORTIFHUNG), TRUE);
}

// A second copy finds the ports taken by the first one's transfer: its port list shows names
// only, Update and Verify say the ports are in use, and it makes no port call at all; once the
// first copy is idle the second one works.
TEST_F(OperatorTest, SecondCopyTouchesNoPortWhileTheFirstTransfers) {
    StartStalled();
    clickUpdate();
    waitForSends(4);
    guitest::AppProcess second(file("Corvane.exe"), driver().folder().path());
    const Window main = second.waitForWindow("#32770", product::MainCaption);
    // The list opens with the spooler's candidate names alone: no printer is asked its model.
    const Window list = main.child(IDC_PORT_LIST);
    list.send(CB_SHOWDROPDOWN, TRUE);
    list.send(CB_SHOWDROPDOWN, FALSE);
    const std::vector<std::string> items = list.comboItems();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items.back(), product::AutoSelection);
    for (const std::string& item : items) {
        EXPECT_EQ(item.find(" ("), std::string::npos) << item;
    }
    list.send(CB_SETCURSEL, items.size() - 1);
    for (const int button : {IDC_UPDATE, IDC_VERIFY}) {
        SCOPED_TRACE(button == IDC_UPDATE ? "Update" : "Verify");
        main.child(button).clickByMessage();
        const Window box = second.waitForDialog(main, product::TransferLimit);
        EXPECT_EQ(guitest::messageText(box), PortsInUse);
        EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
        guitest::pressButton(box, IDOK);
        second.waitForWindowGone(box);
    }
    for (const std::string& name : CallsOf(second.id())) {
        EXPECT_TRUE(name == "SetPortTimeOutByLvx" || name == "SetReceiveTypeByLvx") << name;
    }
    press(StopTheTransfer(), IDOK);
    waitUntilIdle();
    main.child(IDC_VERIFY).clickByMessage();
    const Window box = second.waitForDialog(main, product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box).substr(0, 13), "NVM version =");
    guitest::pressButton(box, IDOK);
    second.waitForWindowGone(box);
}

// Installed in a folder whose path is 247 characters long (the program's own path is then 259,
// the longest there is), the data file beside it still opens and the whole file arrives.
TEST_F(OperatorTest, DataFileOpensFromAFolderWithALongPath) {
    Setup setup;
    setup.scenario = instantPrinter();
    start(setup);
    app().kill();
    std::string folder = driver().folder().path();
    while (folder.size() < 247) {
        const std::size_t room = 247 - folder.size() - 1;
        folder += "\\" + std::string(room < 60 ? room : 60, 'd');
        ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    ASSERT_EQ(folder.size(), 247u);
    for (const char* name : {"Corvane.exe", "Lorvex.dll"}) {
        ASSERT_TRUE(::CopyFileA(file(name).c_str(), (folder + "\\" + name).c_str(), FALSE)) << name;
    }
    const std::string data = simctl::testData(5000);
    const std::string dataPath = folder + "\\NV(01_01_06)_update.dcc";
    ASSERT_TRUE(WriteLongPathFile(dataPath, data));
    // The simulator's files stay in the test's own folder, whose paths are short.
    const simctl::SimFiles sim = simctl::SimFiles::in(driver().folder().path());
    {
        guitest::AppProcess app(folder + "\\Corvane.exe", folder,
                                {{"LORVEX_SIM_SCENARIO", sim.scenario},
                                 {"LORVEX_SIM_LOG", sim.log},
                                 {"LORVEX_SIM_CAPTURE", sim.capture},
                                 {"LORVEX_SIM_STATE", sim.state}});
        const Window main = app.waitForWindow("#32770", product::MainCaption);
        main.child(IDC_UPDATE).clickByMessage();
        const Window box = app.waitForDialog(main, product::TransferLimit);
        EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
        guitest::pressButton(box, IDOK);
        app.waitForWindowGone(box);
        main.child(IDCANCEL).clickByMessage();
        EXPECT_EQ(app.waitForExit(), 0u);
    }
    EXPECT_TRUE(capture() == data) << "capture of " << capture().size() << " bytes";
    // The folder's own clean-up uses the ANSI calls, which cannot reach this file.
    EXPECT_TRUE(::DeleteFileW((L"\\\\?\\" + Wide(dataPath)).c_str()));
}

// A quit message that comes during the transfer is kept until the worker has ended and its
// outcome has been shown; then the program ends.
TEST_F(OperatorTest, QuitDuringTheTransferEndsTheProgramAfterIt) {
    StartStalled();
    clickUpdate();
    waitForSends(4);
    ASSERT_TRUE(::PostThreadMessageA(app().mainThreadId(), WM_QUIT, 0, 0));
    const std::size_t posted = sendCount();
    waitForSends(posted + 5);
    EXPECT_TRUE(main_.exists() && main_.visible());
    const Window box = StopTheTransfer();
    EXPECT_TRUE(app().running());
    guitest::pressButton(box, IDOK);
    EXPECT_EQ(app().waitForExit(), 0u);
}

// Installed in a folder whose name the ANSI code page (1252 here) cannot hold, Cyrillic or CJK,
// the program loads its library from there, sends the data file beside it byte for byte, and
// Verify reads the version it brought.
TEST_F(OperatorTest, ProgramInAFolderOutsideTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 1252u) << "the names must lie outside the ANSI code page";
    Setup setup;
    setup.scenario = instantPrinter();
    start(setup);
    app().kill();
    const simctl::SimFiles sim = simctl::SimFiles::in(driver().folder().path());
    const std::string image = simctl::nvmImage("01.01.06", 5000);
    ASSERT_FALSE(image.empty());
    for (const wchar_t* name : {L"\u0418\u0432\u0430\u043d", L"\u8a2d\u5b9a\u30c4\u30fc\u30eb"}) {
        SCOPED_TRACE(name[0] == L'\u0418' ? "Cyrillic" : "CJK");
        simctl::removeFile(sim.capture);
        simctl::removeFile(sim.state);
        // Inside the test folder, which goes with everything in it.
        const std::filesystem::path folder = std::filesystem::path(driver().folder().path()) / name;
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        for (const char* each : {"Corvane.exe", "Lorvex.dll"}) {
            ASSERT_TRUE(std::filesystem::copy_file(file(each), folder / each)) << each;
        }
        ASSERT_TRUE(simctl::writeFile(folder / DataFileName, image));
        guitest::AppProcess app((folder / "Corvane.exe").wstring(), folder.wstring(),
                                {{"LORVEX_SIM_SCENARIO", sim.scenario},
                                 {"LORVEX_SIM_LOG", sim.log},
                                 {"LORVEX_SIM_CAPTURE", sim.capture},
                                 {"LORVEX_SIM_STATE", sim.state}});
        const Window main = app.waitForWindow(product::DialogClass, product::MainCaption);
        main.child(IDC_UPDATE).clickByMessage();
        Window box = app.waitForDialog(main, product::TransferLimit);
        EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
        guitest::pressButton(box, IDOK);
        app.waitForWindowGone(box);
        EXPECT_TRUE(capture() == image) << "capture of " << capture().size() << " bytes";
        main.child(IDC_VERIFY).clickByMessage();
        box = app.waitForDialog(main, product::TransferLimit);
        EXPECT_EQ(guitest::messageText(box).substr(0, 21), "NVM version = 1.01.06");
        guitest::pressButton(box, IDOK);
        app.waitForWindowGone(box);
        main.child(IDCANCEL).clickByMessage();
        EXPECT_EQ(app.waitForExit(), 0u);
    }
}

// A quit that comes while Verify holds the thread is not thrown away with the queued input:
// the result still shows, and closing it ends the program. The quit is posted behind the click,
// so it is queued before Verify starts and found by its discard.
TEST_F(OperatorTest, QuitPendingAsVerifyStartsEndsTheProgramAfterItsResult) {
    Setup setup;
    setup.scenario = instantPrinter();
    start(setup);
    control(IDC_VERIFY).clickByMessage();
    ASSERT_TRUE(::PostThreadMessageA(app().mainThreadId(), WM_QUIT, 0, 0));
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box).substr(0, 13), "NVM version =");
    EXPECT_TRUE(box.visible() && app().running());
    guitest::pressButton(box, IDOK);
    EXPECT_EQ(app().waitForExit(), 0u);
}

// A data file that another program holds open without sharing is named as in use, not as
// missing, and nothing is sent.
TEST_F(OperatorTest, DataFileHeldByAnotherProgramIsInUse) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(3000);
    start(setup);
    const fw::UniqueHandle held(::CreateFileA(file(DataFileName).c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    clickUpdate();
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), InUseText);
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
    press(box, IDOK);
    EXPECT_EQ(sendCount(), 0u);
}

// A 20,000-byte data file cut to 8,000 bytes while it is sent (a share that does not enforce
// the exclusive open; here the host truncates it behind Wine's back) ends as a failure that
// says the file changed, never with the completion text.
TEST_F(OperatorTest, DataFileCutShortDuringTheTransferIsAFailure) {
    Setup setup;
    setup.scenario.printer(simctl::lpt(1)).rate(2000);
    setup.data = simctl::testData(20000);
    start(setup);
    const std::string hostPath = HostPath(file(DataFileName));
    ASSERT_FALSE(hostPath.empty()) << "needs Wine";
    clickUpdate();
    waitForSends(2);
    ASSERT_TRUE(StartOnHost("/usr/bin/truncate -s 8000 \"" + hostPath + "\""));
    guitest::waitFor("the data file cut to 8000 bytes",
                     [&] { return SizeOf(file(DataFileName)) == uint64_t{8000}; });
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(guitest::messageText(box), ChangedText);
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
    press(box, IDOK);
    EXPECT_TRUE(capture() == setup.data->substr(0, 8000)) << capture().size() << " bytes sent";
}
