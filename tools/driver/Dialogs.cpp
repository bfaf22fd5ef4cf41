#include "Dialogs.h"

#include <stdexcept>

namespace guitest {

namespace {

// Push and default push buttons only; check boxes, radios and group boxes are other types.
bool isPushButton(const Window& control) {
    if (control.className() != "Button") {
        return false;
    }
    const DWORD type = control.style() & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

} // namespace

// Message boxes of every Windows version keep their text in the static 0xFFFF.
std::string messageText(const Window& box) {
    const Window text = box.child(MessageTextId);
    if (!text) {
        throw std::runtime_error("window \"" + box.caption() + "\" has no message text");
    }
    return text.text();
}

// The icon's control id differs between implementations; its style does not.
Window iconControl(const Window& dialog) {
    for (const Window& control : dialog.children()) {
        if (control.className() == "Static" && (control.style() & SS_TYPEMASK) == SS_ICON) {
            return control;
        }
    }
    return Window();
}

// A hidden icon control (message box without an icon) counts as no icon.
IconKind dialogIcon(const Window& dialog) {
    const Window control = iconControl(dialog);
    if (!control || !control.visible()) {
        return IconKind::None;
    }
    Probe probe(dialog);
    return probe.icon(control);
}

// Message boxes create every possible button and hide the unused ones.
std::vector<ButtonInfo> pushButtons(const Window& dialog) {
    std::vector<ButtonInfo> buttons;
    for (const Window& control : dialog.children()) {
        if (control.visible() && isPushButton(control)) {
            buttons.push_back(ButtonInfo{control.id(), control.text(), control.isDefaultButton(),
                                         control.enabled()});
        }
    }
    return buttons;
}

// Posted so that a button opening another modal box does not block the test.
void pressButton(const Window& dialog, int buttonId) {
    const Window button = dialog.child(buttonId);
    if (!button) {
        throw std::runtime_error("window \"" + dialog.caption() + "\" has no button " +
                                 std::to_string(buttonId));
    }
    button.clickByMessage();
}

// One probe per call: the hook lives only while it is needed.
std::vector<MenuItem> systemMenuOf(const Window& window) {
    Probe probe(window);
    return probe.systemMenu(window);
}

} // namespace guitest
