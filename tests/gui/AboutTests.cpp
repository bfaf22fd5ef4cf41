// The about box: opened from the system menu, its content, and every way to close it.
#include "AppTest.h"
#include "MainWindowState.h"
#include "Product.h"

#include <gtest/gtest.h>

#include <functional>

using guitest::Window;

namespace {

// Text of every static control that shows text (not an icon), in Z order.
std::vector<std::string> staticTexts(const Window& dialog) {
    std::vector<std::string> texts;
    for (const Window& control : dialog.children()) {
        if (control.className() == "Static" && (control.style() & SS_TYPEMASK) != SS_ICON) {
            texts.push_back(control.text());
        }
    }
    return texts;
}

// True if texts holds text.
bool holds(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

class AboutTest : public AppTest {
protected:
    void SetUp() override {
        startApp();
        before_ = MainWindowState::capture(main_);
    }

    // Opens the about box as the system menu command does.
    Window openByCommand() {
        main_.post(WM_SYSCOMMAND, IDM_ABOUTBOX);
        return waitForAbout();
    }

    // After the box has gone the main window is as before and usable again.
    void expectMainWindowAsBefore() {
        EXPECT_TRUE(app().running());
        EXPECT_EQ(MainWindowState::capture(main_), before_);
        EXPECT_TRUE(main_.enabled());
        EXPECT_TRUE(app().visibleWindows(product::DialogClass, product::AboutCaption).empty());
    }

    MainWindowState before_;
};

// Caption, texts, icon and its one default OK button; modal over the main window.
TEST_F(AboutTest, ShowsItsCaptionTextsIconAndDefaultOkButton) {
    const Window about = openByCommand();
    EXPECT_EQ(about.text(), product::AboutCaption);
    EXPECT_EQ(about.owner(), main_);
    EXPECT_FALSE(main_.enabled()) << "the about box must be modal";
    const std::vector<std::string> texts = staticTexts(about);
    EXPECT_TRUE(holds(texts, product::AboutTitle));
    EXPECT_TRUE(holds(texts, product::AboutModels));
    EXPECT_TRUE(holds(texts, product::AboutVersion));
    int notices = 0;
    for (const std::string& text : texts) {
        const bool known = text == product::AboutTitle || text == product::AboutModels ||
                           text == product::AboutVersion;
        notices += !known && !text.empty() ? 1 : 0;
    }
    EXPECT_EQ(notices, 1) << "one notice line besides the three known texts";
    EXPECT_EQ(guitest::dialogIcon(about), guitest::IconKind::Other)
        << "the program's own icon, not a system icon";
    const std::vector<guitest::ButtonInfo> buttons = guitest::pushButtons(about);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].id, IDOK);
    EXPECT_EQ(buttons[0].text, "OK");
    EXPECT_TRUE(buttons[0].isDefault);
}

// A person opens it with Alt+Space, then the last item of the menu (Up wraps to it), Enter.
TEST_F(AboutTest, OpensFromTheRealSystemMenu) {
    guitest::pressChord(main_, {VK_MENU, VK_SPACE});
    guitest::waitFor("the system menu to open",
                     [&] { return !app().visibleWindows(product::MenuClass).empty(); });
    guitest::pressKey(main_, VK_UP);
    guitest::pressKey(main_, VK_RETURN);
    const Window about = waitForAbout();
    guitest::pressButton(about, IDOK);
    app().waitForWindowGone(about);
    expectMainWindowAsBefore();
}

// One way of closing the box.
struct Closer {
    const char* name;
    std::function<void(const Window& about)> close;
};

// Prints the closer's name in test names and failures.
void PrintTo(const Closer& closer, std::ostream* out) {
    *out << closer.name;
}

class AboutCloseTest : public AboutTest, public ::testing::WithParamInterface<Closer> {};

// Every way closes the box only; the program goes on as before.
TEST_P(AboutCloseTest, ClosesTheBoxAndLeavesTheMainWindowAsBefore) {
    const Window about = openByCommand();
    GetParam().close(about);
    app().waitForWindowGone(about);
    expectMainWindowAsBefore();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutCloseTest,
    ::testing::Values(
        Closer{"OkClick", [](const Window& about) { guitest::clickCentre(about.child(IDOK)); }},
        Closer{"OkMessage", [](const Window& about) { guitest::pressButton(about, IDOK); }},
        Closer{"EnterKey", [](const Window& about) { guitest::pressKey(about, VK_RETURN); }},
        Closer{"EscKey", [](const Window& about) { guitest::pressKey(about, VK_ESCAPE); }},
        Closer{"AltF4",
               [](const Window& about) {
                   guitest::pressChord(about, {VK_MENU, VK_F4});
               }},
        Closer{"WmClose", [](const Window& about) { about.post(WM_CLOSE); }},
        Closer{"ScClose", [](const Window& about) { about.post(WM_SYSCOMMAND, SC_CLOSE); }}),
    [](const ::testing::TestParamInfo<Closer>& param) { return std::string(param.param.name); });
