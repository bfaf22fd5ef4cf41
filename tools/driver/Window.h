// A window of the program under test, seen from outside: a non-owning HWND with the queries
// the tests need. Every message goes through SendMessageTimeout so a hung target fails the
// test instead of hanging it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace guitest {

class Window {
public:
    Window() = default;
    // Wraps a handle; nullptr gives an empty Window.
    explicit Window(HWND handle) : handle_(handle) {}

    // The wrapped handle.
    HWND handle() const { return handle_; }
    // True when a handle is wrapped (it may have been destroyed since).
    explicit operator bool() const { return handle_ != nullptr; }
    // Same handle.
    bool operator==(const Window& other) const { return handle_ == other.handle_; }
    // Different handle.
    bool operator!=(const Window& other) const { return handle_ != other.handle_; }

    // True while the window exists.
    bool exists() const;
    // Text from WM_GETTEXT (caption, control text).
    std::string text() const;
    // Caption as the system stores it (GetWindowTextA); never blocks, empty once destroyed.
    std::string caption() const;
    // Window class name, e.g. "#32770", "Button", "ComboBox".
    std::string className() const;
    // Control id (GWLP_ID).
    int id() const;
    // GWL_STYLE bits.
    DWORD style() const;
    // GWL_EXSTYLE bits.
    DWORD exStyle() const;
    // False when disabled (WS_DISABLED).
    bool enabled() const;
    // IsWindowVisible: the window and all its parents are shown.
    bool visible() const;
    // GW_OWNER: the owner of a top-level window, empty if none.
    Window owner() const;
    // GetParent of a child window.
    Window parent() const;
    // The child with this control id, empty if none.
    Window child(int controlId) const;
    // All direct and indirect children, in Z order.
    std::vector<Window> children() const;
    // Bounds in screen coordinates.
    RECT screenRect() const;
    // Centre in screen coordinates, where a person would click.
    POINT centre() const;
    // Thread that owns the window.
    DWORD threadId() const;
    // Process that owns the window.
    DWORD processId() const;

    // Sends a message and returns its result; throws if the target does not answer in 20 s.
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Sends a message and returns its result; nothing when no answer came within limitMs.
    std::optional<LRESULT> trySend(UINT message, WPARAM wParam, LPARAM lParam, DWORD limitMs,
                                   UINT flags = SMTO_NORMAL) const;
    // True when the window's thread answers within limitMs: it is back in a message loop.
    bool answers(DWORD limitMs) const { return trySend(WM_NULL, 0, 0, limitMs).has_value(); }
    // Posts a message; throws if it cannot be posted.
    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Posts BM_CLICK, as the program's own code would see a button press.
    void clickByMessage() const;
    // Posts this dialog the WM_COMMAND its button controlId sends when pressed: the press
    // without the button taking focus or drawing itself pushed.
    void postCommand(int controlId) const;

    // Number of items in a combo box.
    int comboCount() const;
    // Text of one combo box item.
    std::string comboItem(int index) const;
    // All combo box items in list order.
    std::vector<std::string> comboItems() const;
    // Index of the selected combo box item, CB_ERR if none.
    int comboSelection() const;
    // True while the combo box's list is dropped down.
    bool comboDroppedDown() const;

    // Progress bar position.
    int progressPosition() const;
    // Progress bar range as (low, high).
    std::pair<int, int> progressRange() const;

    // True for a push button with BS_DEFPUSHBUTTON.
    bool isDefaultButton() const;

private:
    HWND handle_ = nullptr;
};

} // namespace guitest
