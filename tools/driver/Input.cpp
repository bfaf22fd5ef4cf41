#include "Input.h"

#include "Controls.h"
#include "Wait.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace guitest {

namespace {

// One key event.
INPUT keyEvent(WORD virtualKey, bool up) {
    INPUT event{};
    event.type = INPUT_KEYBOARD;
    event.ki.wVk = virtualKey;
    event.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    event.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return event;
}

// One mouse event at an absolute position on the primary screen (0..65535 each way).
INPUT mouseEvent(DWORD flags, POINT at) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT event{};
    event.type = INPUT_MOUSE;
    event.mi.dx = MulDiv(at.x, 65536, width) + 1;
    event.mi.dy = MulDiv(at.y, 65536, height) + 1;
    event.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return event;
}

// When this program last clicked; a second click soon after would count as a double click.
std::chrono::steady_clock::time_point lastClick;

// Waits out the double-click time since the last click, as a person's separate clicks are.
void awaitSingleClick() {
    const auto gap = Millis(GetDoubleClickTime() + 50);
    const auto since = std::chrono::steady_clock::now() - lastClick;
    if (since < gap) {
        settle(std::chrono::duration_cast<Millis>(gap - since));
    }
}

// All events in one SendInput call so nothing interleaves with them.
void send(std::vector<INPUT>& events) {
    const UINT sent = SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    if (sent != events.size()) {
        throw std::runtime_error("SendInput delivered " + std::to_string(sent) + " of " +
                                 std::to_string(events.size()) + " events (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

} // namespace

// Without a window manager SetForegroundWindow alone decides; the result is checked anyway.
void bringToFront(const Window& window) {
    if (!window.exists()) {
        throw std::runtime_error("input for a window that does not exist");
    }
    const Window top(GetAncestor(window.handle(), GA_ROOT));
    waitFor("window \"" + top.caption() + "\" to become the foreground window", [&] {
        if (GetForegroundWindow() == top.handle()) {
            return true;
        }
        SetForegroundWindow(top.handle());
        return GetForegroundWindow() == top.handle();
    });
}

// Down then up, one call.
void pressKey(const Window& window, WORD virtualKey) {
    pressChord(window, {virtualKey});
}

// Modifiers first down, last up, as fingers do.
void pressChord(const Window& window, std::initializer_list<WORD> keys) {
    bringToFront(window);
    std::vector<INPUT> events;
    for (const WORD key : keys) {
        events.push_back(keyEvent(key, false));
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        events.push_back(keyEvent(*key, true));
    }
    send(events);
}

// Move, press, release: the control gets WM_MOUSEMOVE, WM_LBUTTONDOWN and WM_LBUTTONUP, never
// WM_LBUTTONDBLCLK (a combo box ignores that one). The press and the release carry the position
// too: without it they land wherever the system believes the cursor is when it takes them, and
// a window newly mapped under the X pointer first reports the pointer's old position.
void clickCentre(const Window& control) {
    bringToFront(control);
    awaitSingleClick();
    const POINT at = control.centre();
    std::vector<INPUT> events{mouseEvent(MOUSEEVENTF_MOVE, at),
                              mouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, at),
                              mouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, at)};
    send(events);
    lastClick = std::chrono::steady_clock::now();
}

// Each press waits until the focus has moved, so none is lost to a window still catching up.
bool tabTo(const Window& main, const Window& control, int tabs) {
    for (int step = 0; step < tabs && focusedWindow(main) != control; ++step) {
        const Window before = focusedWindow(main);
        pressKey(main, VK_TAB);
        waitFor("Tab to move the focus", [&] { return focusedWindow(main) != before; });
    }
    return focusedWindow(main) == control;
}

} // namespace guitest
