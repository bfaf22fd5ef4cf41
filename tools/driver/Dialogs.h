// Reading and answering the program's dialogs and message boxes (class #32770).
#pragma once

#include "Probe.h"
#include "Window.h"

#include <string>
#include <vector>

namespace guitest {

// Control id of a message box's text.
inline constexpr int MessageTextId = 0xFFFF;

// A push button of a dialog as a person sees it.
struct ButtonInfo {
    int id = 0;
    std::string text;
    bool isDefault = false;
    bool enabled = false;
};

// The message of a message box (its static with id 0xFFFF); throws if there is none.
std::string messageText(const Window& box);
// The first static control showing an icon (SS_ICON), empty if none.
Window iconControl(const Window& dialog);
// Which system icon the dialog shows; None if it has no icon control.
IconKind dialogIcon(const Window& dialog);
// The visible push buttons, in Z (tab) order.
std::vector<ButtonInfo> pushButtons(const Window& dialog);
// Presses a dialog's button by posting BM_CLICK to it; throws if the dialog has no such button.
void pressButton(const Window& dialog, int buttonId);
// Items of the window's system menu, read inside its process.
std::vector<MenuItem> systemMenuOf(const Window& window);

} // namespace guitest
