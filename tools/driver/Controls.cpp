#include "Controls.h"

#include "Input.h"
#include "Wait.h"

#include <stdexcept>

namespace guitest {

namespace {

// What GetGUIThreadInfo says of the thread of window; works across processes under Wine.
GUITHREADINFO threadInfo(const Window& window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(window.threadId(), &info)) {
        throw std::runtime_error("GetGUIThreadInfo failed (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    return info;
}

} // namespace

Window focusedWindow(const Window& window) {
    return Window(threadInfo(window).hwndFocus);
}

// The click lands on the centre of the closed box, which opens a drop-down list. The box drops
// at the press and holds the mouse until the release, which hands the mouse to the list: only
// then is the click over. Closed before that, the list would take the mouse back while hidden
// and swallow the next click anywhere.
void dropDownByClick(const Window& combo) {
    clickCentre(combo);
    waitFor("combo box list to drop down after a whole click", [&] {
        return combo.comboDroppedDown() && threadInfo(combo).hwndCapture != combo.handle();
    });
}

// Sent: the box has opened (and notified its parent) when the call returns.
void dropDownByMessage(const Window& combo) {
    combo.send(CB_SHOWDROPDOWN, TRUE);
    waitFor("combo box list to drop down", [&] { return combo.comboDroppedDown(); });
}

// CB_SHOWDROPDOWN FALSE closes without a selection change; the list lets go of the mouse.
void closeDropDown(const Window& combo) {
    combo.send(CB_SHOWDROPDOWN, FALSE);
    waitFor("combo box list to close",
            [&] { return !combo.comboDroppedDown() && threadInfo(combo).hwndCapture == nullptr; });
}

// Keys go to the focused box, which moves the open list's selection; Enter takes it.
void pickComboItemByKeys(const Window& combo, int index) {
    dropDownByClick(combo);
    pressKey(combo, VK_HOME);
    for (int step = 0; step < index; ++step) {
        pressKey(combo, VK_DOWN);
    }
    pressKey(combo, VK_RETURN);
    waitFor("combo box list to close after Enter", [&] { return !combo.comboDroppedDown(); });
}

// CB_SETCURSEL alone notifies nobody; a person's choice ends in CBN_SELCHANGE to the parent.
void selectComboItem(const Window& combo, int index) {
    if (combo.send(CB_SETCURSEL, static_cast<WPARAM>(index)) != index) {
        throw std::runtime_error("combo box has no item " + std::to_string(index));
    }
    combo.parent().post(WM_COMMAND, MAKEWPARAM(combo.id(), CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(combo.handle()));
}

} // namespace guitest
