// The machine-wide port lock when something else has its name, and the tool when the library
// lacks a set-up entry point: each a fault the normal runs never meet.
#include "AppTest.h"

#include "Product.h"

#include "fw/UniqueHandle.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using guitest::Millis;
using guitest::Window;

constexpr char LockName[] = "Global\\Corvane.PrinterPorts";
constexpr char LockForeign[] =
    "The printer ports are locked by a program that is not a copy of this program.\r\n"
    "Ask an administrator to end that program or restart the computer, then try again.";
// What a copy's lock grants everyone is waiting and releasing; this grants waiting alone.
constexpr char WaitOnlySecurity[] = "D:(A;;0x00100000;;;WD)";

// What has the lock's name when the copy under test presses Update.
enum class Holder {
    // An object of another type: the tool cannot make its mutex.
    OtherObject,
    // A mutex that refuses the access every copy's lock grants to all users.
    RefusingMutex,
    // The mutex of a copy that died mid-transfer, kept by a handle of this test: abandoned.
    DeadCopy,
};

struct LockCase {
    const char* name;
    Holder holder;
    // True when the Update goes through; false when it must be refused untouched.
    bool updates;
};

// Names the case in gtest's messages.
void PrintTo(const LockCase& c, std::ostream* out) {
    *out << c.name;
}

} // namespace

class PortLockTest : public AppTest, public ::testing::WithParamInterface<LockCase> {};

// Without its mutex the tool cannot know that the ports are free: Update and Verify refuse,
// touching no port, and say that the lock is not a copy's. An abandoned mutex is the tool's own
// once waited on: Update goes through and gives it back.
TEST_P(PortLockTest, UpdateGoesThroughOnlyWhenTheLockIsHad) {
    const LockCase& c = GetParam();
    const std::string data = simctl::testData(6000);
    Setup setup;
    setup.data = data;
    HANDLE held = nullptr;
    if (c.holder == Holder::OtherObject) {
        held = ::CreateEventA(nullptr, TRUE, FALSE, LockName);
        setup.scenario = instantPrinter();
    } else if (c.holder == Holder::RefusingMutex) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            WaitOnlySecurity, SDDL_REVISION_1, &descriptor, nullptr));
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
        held = ::CreateMutexA(&attributes, FALSE, LockName);
        ::LocalFree(descriptor);
        setup.scenario = instantPrinter();
    } else {
        held = ::CreateMutexA(nullptr, FALSE, LockName);
        setup.scenario.printer(simctl::lpt(1)).rate(0).stall(0, 3);
    }
    ASSERT_NE(held, nullptr) << ::GetLastError();
    const fw::UniqueHandle lock(held);
    start(setup);
    // The copy under test: the first one, or a new one once the first has died mid-transfer.
    std::optional<guitest::AppProcess> next;
    const guitest::AppProcess* copy = &app();
    Window main = main_;
    if (c.holder == Holder::DeadCopy) {
        clickUpdate();
        waitForSends(3);
        app().kill();
        ASSERT_TRUE(instantPrinter().write(file(simctl::ScenarioFileName)));
        copy = &next.emplace(file("Corvane.exe"), driver().folder().path());
        main = copy->waitForWindow(product::DialogClass, product::MainCaption);
    }
    main.child(IDC_UPDATE).clickByMessage();
    const Window box = copy->waitForDialog(main, product::TransferLimit);
    if (c.updates) {
        EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
        const std::string got = capture();
        ASSERT_GE(got.size(), data.size());
        EXPECT_TRUE(got.compare(got.size() - data.size(), data.size(), data) == 0);
        EXPECT_EQ(::WaitForSingleObject(lock.Get(), 0), WAIT_OBJECT_0)
            << "the lock was not given back";
        ::ReleaseMutex(lock.Get());
    } else {
        EXPECT_EQ(guitest::messageText(box), LockForeign);
        EXPECT_EQ(guitest::dialogIcon(box), guitest::IconKind::Error);
    }
    guitest::pressButton(box, IDOK);
    copy->waitForWindowGone(box);
    EXPECT_TRUE(copy->running());
    if (c.updates) {
        return;
    }
    // As under another copy's lock: the list shows the names alone, Verify says what Update
    // said, and no port is touched.
    const Window list = main.child(IDC_PORT_LIST);
    list.send(CB_SHOWDROPDOWN, TRUE);
    list.send(CB_SHOWDROPDOWN, FALSE);
    const std::vector<std::string> items = list.comboItems();
    for (const std::string& item : items) {
        EXPECT_EQ(item.find(" ("), std::string::npos) << item;
    }
    list.send(CB_SETCURSEL, items.size() - 1);
    main.child(IDC_VERIFY).clickByMessage();
    const Window verifyBox = copy->waitForDialog(main, product::TransferLimit);
    EXPECT_EQ(guitest::messageText(verifyBox), LockForeign);
    EXPECT_EQ(guitest::dialogIcon(verifyBox), guitest::IconKind::Error);
    guitest::pressButton(verifyBox, IDOK);
    copy->waitForWindowGone(verifyBox);
    for (const simctl::LogRecord& call : calls()) {
        EXPECT_TRUE(call.name == "SetPortTimeOutByLvx" || call.name == "SetReceiveTypeByLvx")
            << call.raw;
    }
}

INSTANTIATE_TEST_SUITE_P(Holders, PortLockTest,
                         ::testing::Values(LockCase{"OtherObject", Holder::OtherObject, false},
                                           LockCase{"RefusingMutex", Holder::RefusingMutex, false},
                                           LockCase{"DeadCopy", Holder::DeadCopy, true}),
                         [](const ::testing::TestParamInfo<LockCase>& param) {
                             return param.param.name;
                         });

class SetUpEntryTest : public AppTest, public ::testing::WithParamInterface<const char*> {};

// The set-up calls' results do not matter: without either entry point the tool starts, makes the
// other set-up call, and updates.
TEST_P(SetUpEntryTest, UpdateCompletesWithoutTheEntryPoint) {
    const std::string missing = GetParam();
    const std::string other =
        missing == "SetPortTimeOutByLvx" ? "SetReceiveTypeByLvx" : "SetPortTimeOutByLvx";
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(3000);
    setup.library = "Lorvex_no" + missing + ".dll";
    start(setup);
    clickUpdate();
    const Window box = waitForBox(product::TransferLimit);
    EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
    press(box, IDOK);
    EXPECT_TRUE(capture() == *setup.data);
    const std::vector<simctl::LogRecord> logged = calls();
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.front().name, other);
}

INSTANTIATE_TEST_SUITE_P(Missing, SetUpEntryTest,
                         ::testing::Values("SetPortTimeOutByLvx", "SetReceiveTypeByLvx"));
