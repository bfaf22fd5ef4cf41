// The machine-wide port lock when something else has its name, and the tool when the library
// lacks a set-up entry point: each a fault the normal runs never meet.
#include "UpdateGuiTest.h"

#include "Product.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using guitest::Millis;
using guitest::Window;

constexpr char LockName[] = "Global\\Corvane.PrinterPorts";
constexpr char PortsInUse[] = "Another copy of this program is using the printer ports.\r\n"
                              "Wait until it has finished, then try again.";
constexpr Millis TransferLimit{60000};

// What has the lock's name when the copy under test presses Update.
enum class Holder {
    // An object of another type: the tool cannot make its mutex.
    OtherObject,
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

class PortLockTest : public UpdateGuiTest, public ::testing::WithParamInterface<LockCase> {};

// Without its mutex the tool cannot know that the ports are free: it refuses, touching no port.
// An abandoned mutex is the tool's own once waited on: Update goes through and gives it back.
TEST_P(PortLockTest, UpdateGoesThroughOnlyWhenTheLockIsHad) {
    const LockCase& c = GetParam();
    const std::string data = simctl::testData(6000);
    Setup setup;
    setup.data = data;
    HANDLE held = nullptr;
    if (c.holder == Holder::OtherObject) {
        held = ::CreateEventA(nullptr, TRUE, FALSE, LockName);
        setup.scenario = InstantPrinter();
    } else {
        held = ::CreateMutexA(nullptr, FALSE, LockName);
        setup.scenario.printer(simctl::lpt(1)).rate(0).stall(0, 3);
    }
    ASSERT_NE(held, nullptr) << ::GetLastError();
    const guitest::UniqueHandle lock(held);
    Start(setup);
    // The copy under test: the first one, or a new one once the first has died mid-transfer.
    std::optional<guitest::AppProcess> next;
    const guitest::AppProcess* app = &App();
    Window main = main_;
    if (c.holder == Holder::DeadCopy) {
        ClickUpdate();
        WaitForSends(3);
        App().kill();
        ASSERT_TRUE(InstantPrinter().write(File(simctl::ScenarioFileName)));
        app = &next.emplace(File("Corvane.exe"), driver_->folder().path());
        main = app->waitForWindow(product::DialogClass, product::MainCaption);
    }
    main.child(IDC_UPDATE).clickByMessage();
    const Window box = app->waitForDialog(main, TransferLimit);
    if (c.updates) {
        EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
        const std::string capture = Capture();
        ASSERT_GE(capture.size(), data.size());
        EXPECT_TRUE(capture.compare(capture.size() - data.size(), data.size(), data) == 0);
        EXPECT_EQ(::WaitForSingleObject(lock.get(), 0), WAIT_OBJECT_0)
            << "the lock was not given back";
        ::ReleaseMutex(lock.get());
    } else {
        EXPECT_EQ(guitest::messageText(box), PortsInUse);
        for (const simctl::LogRecord& call : Calls()) {
            EXPECT_TRUE(call.name == "SetPortTimeOutByLvx" || call.name == "SetReceiveTypeByLvx")
                << call.raw;
        }
    }
    guitest::pressButton(box, IDOK);
    app->waitForWindowGone(box);
    EXPECT_TRUE(app->running());
}

INSTANTIATE_TEST_SUITE_P(Holders, PortLockTest,
                         ::testing::Values(LockCase{"OtherObject", Holder::OtherObject, false},
                                           LockCase{"DeadCopy", Holder::DeadCopy, true}),
                         [](const ::testing::TestParamInfo<LockCase>& param) {
                             return param.param.name;
                         });

class SetUpEntryTest : public UpdateGuiTest, public ::testing::WithParamInterface<const char*> {};

// The set-up calls' results do not matter: without either entry point the tool starts, makes the
// other set-up call, and updates.
TEST_P(SetUpEntryTest, UpdateCompletesWithoutTheEntryPoint) {
    const std::string missing = GetParam();
    const std::string other =
        missing == "SetPortTimeOutByLvx" ? "SetReceiveTypeByLvx" : "SetPortTimeOutByLvx";
    Setup setup;
    setup.scenario = InstantPrinter();
    setup.data = simctl::testData(3000);
    setup.library = "Lorvex_no" + missing + ".dll";
    Start(setup);
    ClickUpdate();
    const Window box = WaitForBox(TransferLimit);
    EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
    Press(box, IDOK);
    EXPECT_TRUE(Capture() == *setup.data);
    const std::vector<simctl::LogRecord> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().name, other);
}

INSTANTIATE_TEST_SUITE_P(Missing, SetUpEntryTest,
                         ::testing::Values("SetPortTimeOutByLvx", "SetReceiveTypeByLvx"));
