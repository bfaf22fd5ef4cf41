// The main window as it first shows: caption, controls, port list, progress bar, system menu.
#include "AppTest.h"
#include "Product.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

using guitest::Window;

namespace {

// Group boxes are buttons of type BS_GROUPBOX.
bool isGroupBox(const Window& control) {
    return control.className() == "Button" && (control.style() & BS_TYPEMASK) == BS_GROUPBOX;
}

} // namespace

class MainWindowTest : public AppTest {
protected:
    void SetUp() override { startApp(); }
};

// Caption and class; a dialog the user can use at once.
TEST_F(MainWindowTest, HasItsCaptionAndIsAVisibleEnabledDialog) {
    EXPECT_EQ(main_.text(), product::MainCaption);
    EXPECT_EQ(main_.className(), product::DialogClass);
    EXPECT_TRUE(main_.visible());
    EXPECT_TRUE(main_.enabled());
    EXPECT_FALSE(main_.owner());
}

// The window can be used as it shows: no control hidden or disabled, the three buttons say what
// they do, the port is picked from a drop-down list, and the bar is a progress bar.
TEST_F(MainWindowTest, EveryControlIsUsableAndSaysWhatItDoes) {
    for (const Window& child : main_.children()) {
        SCOPED_TRACE(child.className() + " \"" + child.text() + "\"");
        EXPECT_TRUE(child.visible());
        EXPECT_TRUE(child.enabled());
    }
    EXPECT_EQ(control(IDC_UPDATE).text(), product::UpdateButton);
    EXPECT_EQ(control(IDC_VERIFY).text(), product::VerifyButton);
    EXPECT_EQ(control(IDCANCEL).text(), product::QuitButton);
    EXPECT_EQ(control(IDC_PROGRESS).text(), "");
    EXPECT_EQ(control(IDC_PORT_LIST).style() & 0x3u, static_cast<unsigned>(CBS_DROPDOWNLIST));
    EXPECT_EQ(control(IDC_PROGRESS).className(), PROGRESS_CLASSA);
    EXPECT_TRUE(isGroupBox(control(IDC_OPERATION_GROUP)));
}

// The port group box is found by its text; its id is not fixed.
TEST_F(MainWindowTest, HasThePortSelectionGroupBox) {
    int found = 0;
    for (const Window& child : main_.children()) {
        if (isGroupBox(child) && child.text() == product::PortGroupText) {
            ++found;
        }
    }
    EXPECT_EQ(found, 1);
}

// Quit, Update and Verify are plain push buttons: no default button, and no OK button at all.
TEST_F(MainWindowTest, HasNoDefaultButtonAndNoOkButton) {
    EXPECT_FALSE(main_.child(IDOK)) << "the main window must have no OK button";
    for (const guitest::ButtonInfo& button : guitest::pushButtons(main_)) {
        EXPECT_FALSE(button.isDefault) << "\"" << button.text << "\" is a default button";
    }
    const std::vector<guitest::ButtonInfo> buttons = guitest::pushButtons(main_);
    EXPECT_EQ(buttons.size(), 3u);
}

// A sorted drop-down list holding only the automatic choice, selected.
TEST_F(MainWindowTest, PortListHoldsOnlyAutoSelectionSelected) {
    const Window portList = control(IDC_PORT_LIST);
    const DWORD style = portList.style();
    EXPECT_EQ(style & 0x3u, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_NE(style & CBS_SORT, 0u);
    EXPECT_EQ(portList.comboItems(), std::vector<std::string>{product::AutoSelection});
    EXPECT_EQ(portList.comboSelection(), 0);
}

// The bar starts empty.
TEST_F(MainWindowTest, ProgressBarStartsAtZero) {
    const Window progress = control(IDC_PROGRESS);
    EXPECT_EQ(progress.progressPosition(), 0);
    EXPECT_EQ(progress.progressRange().first, 0);
}

// The system menu ends with a separator and the about item (read inside the process).
TEST_F(MainWindowTest, SystemMenuEndsWithSeparatorAndAbout) {
    const std::vector<guitest::MenuItem> items = guitest::systemMenuOf(main_);
    ASSERT_GE(items.size(), 2u);
    const guitest::MenuItem& separator = items[items.size() - 2];
    const guitest::MenuItem& about = items.back();
    EXPECT_TRUE(separator.separator);
    EXPECT_FALSE(about.separator);
    EXPECT_EQ(about.id, static_cast<unsigned>(IDM_ABOUTBOX));
    EXPECT_EQ(about.text, product::AboutMenuText);
    EXPECT_FALSE(about.grayed);
    int aboutItems = 0;
    for (const guitest::MenuItem& item : items) {
        aboutItems += item.id == IDM_ABOUTBOX ? 1 : 0;
    }
    EXPECT_EQ(aboutItems, 1) << "the about item must be added once only";
}

// The list opens on a real click and on CB_SHOWDROPDOWN (both notify the program), closes
// again, and still offers the automatic choice once; the program goes on.
TEST_F(MainWindowTest, PortListDropsDownByClickAndByMessage) {
    const Window portList = control(IDC_PORT_LIST);
    guitest::dropDownByClick(portList);
    guitest::closeDropDown(portList);
    guitest::dropDownByMessage(portList);
    guitest::closeDropDown(portList);
    const std::vector<std::string> items = portList.comboItems();
    EXPECT_EQ(std::count(items.begin(), items.end(), product::AutoSelection), 1);
    EXPECT_TRUE(app().running());
    EXPECT_TRUE(main_.enabled());
}

// A port picked with the keys in the open list, or set with the selection message and its
// notification, is the one selected afterwards.
TEST_F(MainWindowTest, PortListTakesAnItemPickedByKeysOrByMessage) {
    const Window portList = control(IDC_PORT_LIST);
    guitest::dropDownByMessage(portList);
    guitest::closeDropDown(portList);
    const int count = portList.comboCount();
    ASSERT_GE(count, 1);
    const int last = count - 1;
    guitest::pickComboItemByKeys(portList, last);
    EXPECT_EQ(portList.comboSelection(), last);
    guitest::selectComboItem(portList, 0);
    EXPECT_EQ(portList.comboSelection(), 0);
    EXPECT_TRUE(app().running());
}
