// The driver's own guarantees, against a small helper program: that icons are told apart
// across processes, the system menu can be read, real input arrives, and nothing is left behind.
#include "Driver.h"

#include <gtest/gtest.h>

using guitest::IconKind;
using guitest::Window;

namespace {

// Caption and text the helper's message boxes show.
constexpr char BoxCaption[] = "Driver test box";
constexpr char BoxText[] = "Line one\nLine two";

// Options to start the helper with one argument.
guitest::DriverOptions helper(const std::string& argument) {
    guitest::DriverOptions options;
    options.program = "guitest_msgbox.exe";
    options.companions.clear();
    options.arguments = argument;
    return options;
}

} // namespace

// Argument of the helper and the icon the driver must report for it.
struct IconCase {
    const char* argument;
    IconKind expected;
};

// Prints the argument in test names and failures.
void PrintTo(const IconCase& icon, std::ostream* out) {
    *out << icon.argument;
}

class DriverIconTest : public ::testing::TestWithParam<IconCase> {};

// Each system icon is recognised as itself and as no other; text, caption, owner and buttons
// of the box read as shown.
TEST_P(DriverIconTest, ReadsMessageBoxIconTextCaptionOwnerAndButtons) {
    guitest::Driver driver("icon", helper(GetParam().argument));
    guitest::AppProcess& app = driver.start();
    const Window box = app.waitForWindow("#32770", BoxCaption);
    EXPECT_EQ(guitest::dialogIcon(box), GetParam().expected);
    EXPECT_EQ(guitest::messageText(box), BoxText);
    EXPECT_FALSE(box.owner());
    const std::vector<guitest::ButtonInfo> buttons = guitest::pushButtons(box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].id, IDOK);
    guitest::pressButton(box, IDOK);
    EXPECT_EQ(app.waitForExit(), static_cast<DWORD>(IDOK));
}

INSTANTIATE_TEST_SUITE_P(Icons, DriverIconTest,
                         ::testing::Values(IconCase{"error", IconKind::Error},
                                           IconCase{"warning", IconKind::Warning},
                                           IconCase{"information", IconKind::Information},
                                           IconCase{"question", IconKind::Question},
                                           IconCase{"none", IconKind::None}),
                         [](const ::testing::TestParamInfo<IconCase>& param) {
                             return std::string(param.param.argument);
                         });

// Real key and mouse input reach a box of another process; the answer is the button used.
TEST(DriverInputTest, KeysAndClicksReachAnotherProcess) {
    {
        guitest::Driver driver("enter", helper("yesno"));
        guitest::AppProcess& app = driver.start();
        const Window box = app.waitForDialog();
        guitest::pressKey(box, VK_RETURN);
        EXPECT_EQ(app.waitForExit(), static_cast<DWORD>(IDYES)) << "Enter presses the default";
    }
    {
        guitest::Driver driver("click", helper("yesno"));
        guitest::AppProcess& app = driver.start();
        const Window box = app.waitForDialog();
        guitest::clickCentre(box.child(IDNO));
        EXPECT_EQ(app.waitForExit(), static_cast<DWORD>(IDNO)) << "the click hits No";
    }
    {
        guitest::Driver driver("tab", helper("yesno"));
        guitest::AppProcess& app = driver.start();
        const Window box = app.waitForDialog();
        EXPECT_EQ(guitest::focusedWindow(box), box.child(IDYES));
        guitest::pressKey(box, VK_TAB);
        guitest::waitFor("focus on No",
                         [&] { return guitest::focusedWindow(box) == box.child(IDNO); });
        guitest::pressKey(box, VK_SPACE);
        EXPECT_EQ(app.waitForExit(), static_cast<DWORD>(IDNO)) << "Space presses the focused";
    }
}

// The system menu is read inside the other process; Alt+Space really opens it.
TEST(DriverSystemMenuTest, ReadsAndOpensTheSystemMenuOfAnotherProcess) {
    guitest::Driver driver("menu", helper("window"));
    guitest::AppProcess& app = driver.start();
    const Window window = app.waitForWindow("GuiTestWindow", "Driver test window");
    const std::vector<guitest::MenuItem> items = guitest::systemMenuOf(window);
    ASSERT_GE(items.size(), 3u);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_EQ(items.back().id, 0x20u);
    EXPECT_EQ(items.back().text, "&Probe...");
    guitest::pressChord(window, {VK_MENU, VK_SPACE});
    guitest::waitFor("the system menu popup",
                     [&] { return !app.visibleWindows("#32768").empty(); });
    guitest::pressKey(window, VK_ESCAPE);
    guitest::waitFor("the system menu popup to close",
                     [&] { return app.visibleWindows("#32768").empty(); });
    window.post(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_EQ(app.waitForExit(), 0u);
}

// A driver that goes out of scope kills its program and deletes its folder.
TEST(DriverCleanupTest, KillsTheProgramAndDeletesTheFolder) {
    std::string folder;
    DWORD processId = 0;
    {
        guitest::Driver driver("cleanup", helper("none"));
        driver.folder().writeFile("extra.txt", std::string("a\0b", 3));
        EXPECT_EQ(driver.folder().readFile("extra.txt"), std::string("a\0b", 3));
        guitest::AppProcess& app = driver.start();
        app.waitForDialog();
        folder = driver.folder().path();
        processId = app.id();
    }
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process != nullptr) {
        EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "program still running";
        CloseHandle(process);
    }
}

// A wait that runs out says what it waited for.
TEST(DriverWaitTest, TimeoutNamesWhatWasAwaited) {
    try {
        guitest::waitFor(
            "the moon", [] { return false; }, guitest::Millis(50));
        ADD_FAILURE() << "no timeout";
    } catch (const guitest::WaitTimeout& timeout) {
        EXPECT_NE(std::string(timeout.what()).find("the moon"), std::string::npos);
    }
}
