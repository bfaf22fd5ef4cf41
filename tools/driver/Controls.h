// Acting on the program's controls the way its own notifications expect.
#pragma once

#include "Window.h"

namespace guitest {

// The window with the keyboard focus in window's thread (GetGUIThreadInfo), empty if none.
Window focusedWindow(const Window& window);
// Opens a combo box's list with a real mouse click and waits until it is down.
void dropDownByClick(const Window& combo);
// Opens a combo box's list with CB_SHOWDROPDOWN (the box still sends CBN_DROPDOWN) and waits.
void dropDownByMessage(const Window& combo);
// Closes an open combo box list without changing the selection, and waits until it is up.
void closeDropDown(const Window& combo);
// Picks an item as a person does: opens the list with a click, Home, Down index times, Enter.
void pickComboItemByKeys(const Window& combo, int index);
// Selects an item with CB_SETCURSEL, then tells the parent with CBN_SELCHANGE as a user's
// choice would.
void selectComboItem(const Window& combo, int index);

} // namespace guitest
