// Input as a person gives it: real keyboard and mouse events through SendInput, delivered by
// the system to the foreground window, so the program sees the same messages it would from
// hardware.
#pragma once

#include "Window.h"

#include <windows.h>

#include <initializer_list>

namespace guitest {

// Makes window's top-level window the foreground window; throws WaitTimeout if it does not.
void bringToFront(const Window& window);
// Brings window to the front, then presses and releases one key.
void pressKey(const Window& window, WORD virtualKey);
// Brings window to the front, presses keys in order and releases them in reverse (Alt+Space).
void pressChord(const Window& window, std::initializer_list<WORD> keys);
// Presses Tab in main, one key at a time, until control has the focus, as a keyboard user gets
// there; false when it has not after tabs presses.
bool tabTo(const Window& main, const Window& control, int tabs);
// Brings control to the front, moves the mouse to its centre and clicks the left button; waits
// out the double-click time after an earlier click so the two stay single clicks.
void clickCentre(const Window& control);

} // namespace guitest
