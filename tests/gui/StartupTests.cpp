// Start-up with and without the port library beside the program.
#include "AppTest.h"
#include "Product.h"

#include <gtest/gtest.h>

using guitest::IconKind;
using guitest::Window;

namespace {

// A folder with the program only.
guitest::DriverOptions withoutLibrary() {
    guitest::DriverOptions options;
    options.companions.clear();
    return options;
}

// Visible top-level windows of the process other than the given one.
std::vector<Window> otherVisibleWindows(const guitest::AppProcess& app, const Window& except) {
    std::vector<Window> others;
    for (const Window& window : app.topLevelWindows()) {
        if (window != except && window.visible()) {
            others.push_back(window);
        }
    }
    return others;
}

} // namespace

class NoLibraryTest : public AppTest {
protected:
    // Starts without the library and waits for the one message box.
    Window startAndWaitForBox() {
        launch(withoutLibrary());
        return app().waitForDialog();
    }
};

// The box says why, with the exclamation icon, no owner and the system's own caption.
TEST_F(NoLibraryTest, ShowsOneOwnerlessWarningBoxAndNoMainWindow) {
    const Window box = startAndWaitForBox();
    EXPECT_EQ(guitest::messageText(box), product::NoLibraryText);
    EXPECT_EQ(box.text(), product::DefaultBoxCaption);
    EXPECT_FALSE(box.owner()) << "the box must have no owner";
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Warning);
    const std::vector<guitest::ButtonInfo> buttons = guitest::pushButtons(box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].id, IDOK);
    EXPECT_EQ(buttons[0].text, "OK");
    EXPECT_TRUE(otherVisibleWindows(app(), box).empty()) << "nothing but the box may show";
    for (const Window& window : app().topLevelWindows()) {
        EXPECT_NE(window.caption(), product::MainCaption) << "main window created, even hidden";
    }
}

// OK by message, and by the Enter key as a person would: either way the program ends with 0
// and no main window ever appears.
TEST_F(NoLibraryTest, OkEndsTheProgramWithStatusZero) {
    const Window box = startAndWaitForBox();
    guitest::pressButton(box, IDOK);
    EXPECT_EQ(app().waitForExit(), 0u);
}

// Enter on the box's only (default) button.
TEST_F(NoLibraryTest, EnterKeyEndsTheProgramWithStatusZero) {
    const Window box = startAndWaitForBox();
    guitest::pressKey(box, VK_RETURN);
    EXPECT_EQ(app().waitForExit(), 0u);
}

// With the library the main window comes up and no message box with it.
TEST_F(AppTest, WithLibraryOnlyTheMainWindowShows) {
    startApp();
    // Answered once start-up is over and the window waits in its message loop: any box of
    // start-up would be up by then.
    main_.send(WM_NULL);
    for (const Window& window : otherVisibleWindows(app(), main_)) {
        ADD_FAILURE() << "unexpected window \"" << window.caption() << "\" (" << window.className()
                      << ")";
    }
    EXPECT_TRUE(app().running());
}
