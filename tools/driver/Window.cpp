#include "Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace guitest {

namespace {

// Longest a single message to the target may take before the test calls it hung.
constexpr UINT SendLimitMs = 20000;

// Hex form of a handle for error texts.
std::string describe(HWND handle) {
    char buffer[32] = {};
    snprintf(buffer, sizeof buffer, "%p", static_cast<void*>(handle));
    return buffer;
}

// Wide to ANSI in the process code page, as the program's ANSI calls would see it.
std::string toAnsi(const wchar_t* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

// Callback of EnumChildWindows: collects every child.
BOOL CALLBACK collectChild(HWND child, LPARAM target) {
    reinterpret_cast<std::vector<Window>*>(target)->emplace_back(child);
    return TRUE;
}

} // namespace

// IsWindow also covers handles reused after destruction; good enough within one test.
bool Window::exists() const {
    return handle_ != nullptr && IsWindow(handle_) != FALSE;
}

// WM_GETTEXT rather than GetWindowTextA, which does not ask a foreign window for changed text.
std::string Window::text() const {
    const LRESULT length = send(WM_GETTEXTLENGTH);
    if (length <= 0) {
        return {};
    }
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(copied > 0 ? std::min(static_cast<size_t>(copied), buffer.size() - 1) : 0);
    return buffer;
}

// For a foreign window GetWindowTextA reads the stored text and sends nothing.
std::string Window::caption() const {
    char buffer[512] = {};
    const int length = GetWindowTextA(handle_, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// Class names are at most 256 characters.
std::string Window::className() const {
    char buffer[257] = {};
    const int length = GetClassNameA(handle_, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// GetDlgCtrlID reads GWLP_ID.
int Window::id() const {
    return GetDlgCtrlID(handle_);
}

// Style bits as stored by the window manager.
DWORD Window::style() const {
    return static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
}

// Extended style bits.
DWORD Window::exStyle() const {
    return static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
}

// IsWindowEnabled tests WS_DISABLED.
bool Window::enabled() const {
    return IsWindowEnabled(handle_) != FALSE;
}

// IsWindowVisible also looks at the parents.
bool Window::visible() const {
    return IsWindowVisible(handle_) != FALSE;
}

// Owner, not parent: message boxes and dialogs are owned top-level windows.
Window Window::owner() const {
    return Window(GetWindow(handle_, GW_OWNER));
}

// GetAncestor(GA_PARENT) would give the desktop for top-level windows; GetParent does not.
Window Window::parent() const {
    return Window(GetParent(handle_));
}

// GetDlgItem searches direct children only, as dialogs lay them out.
Window Window::child(int controlId) const {
    return Window(GetDlgItem(handle_, controlId));
}

// EnumChildWindows walks the whole subtree.
std::vector<Window> Window::children() const {
    std::vector<Window> found;
    EnumChildWindows(handle_, collectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

// GetWindowRect is in screen coordinates already.
RECT Window::screenRect() const {
    RECT rect{};
    GetWindowRect(handle_, &rect);
    return rect;
}

// Integer centre of the window rectangle.
POINT Window::centre() const {
    const RECT rect = screenRect();
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Thread half of GetWindowThreadProcessId.
DWORD Window::threadId() const {
    return GetWindowThreadProcessId(handle_, nullptr);
}

// Process half of GetWindowThreadProcessId.
DWORD Window::processId() const {
    DWORD process = 0;
    GetWindowThreadProcessId(handle_, &process);
    return process;
}

// A hung or vanished target must fail the test, not hang it: the limit does that. The system's
// own idea of hung (five seconds without taking a message) is no measure here, since a program
// starting under emulation on a loaded machine can be that slow and still be well.
LRESULT Window::send(UINT message, WPARAM wParam, LPARAM lParam) const {
    const std::optional<LRESULT> result =
        trySend(message, wParam, lParam, SendLimitMs, SMTO_NORMAL);
    if (!result) {
        const DWORD error = GetLastError();
        char number[16] = {};
        snprintf(number, sizeof number, "0x%04X", message);
        throw std::runtime_error(std::string("message ") + number + " to window " +
                                 describe(handle_) + " got no answer (error " +
                                 std::to_string(error) + (exists() ? "" : ", window gone") + ")");
    }
    return *result;
}

std::optional<LRESULT> Window::trySend(UINT message, WPARAM wParam, LPARAM lParam, DWORD limitMs,
                                       UINT flags) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(handle_, message, wParam, lParam, flags, limitMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// Posting returns at once; the test then waits for the effect.
void Window::post(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!PostMessageA(handle_, message, wParam, lParam)) {
        throw std::runtime_error("cannot post message " + std::to_string(message) + " to window " +
                                 describe(handle_));
    }
}

// Posted, not sent: a button that opens a modal box would block a sent BM_CLICK.
void Window::clickByMessage() const {
    post(BM_CLICK);
}

// BN_CLICKED is zero: the notification is the id alone, with the button's handle.
void Window::postCommand(int controlId) const {
    post(WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
         reinterpret_cast<LPARAM>(child(controlId).handle()));
}

// CB_GETCOUNT needs no buffer.
int Window::comboCount() const {
    return static_cast<int>(send(CB_GETCOUNT));
}

// Read as wide text: Wine hands a cross-process CB_GETLBTEXT sent as ANSI back in UTF-16.
std::string Window::comboItem(int index) const {
    const LRESULT length = send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) {
        throw std::runtime_error("combo box " + describe(handle_) + " has no item " +
                                 std::to_string(index));
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(handle_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, SendLimitMs,
                             &copied) ||
        static_cast<LRESULT>(copied) == CB_ERR) {
        throw std::runtime_error("cannot read item " + std::to_string(index) + " of combo box " +
                                 describe(handle_));
    }
    const size_t used = std::min(static_cast<size_t>(copied), buffer.size() - 1);
    return toAnsi(buffer.data(), static_cast<int>(used));
}

// One CB_GETLBTEXT per item.
std::vector<std::string> Window::comboItems() const {
    std::vector<std::string> items;
    const int count = comboCount();
    for (int index = 0; index < count; ++index) {
        items.push_back(comboItem(index));
    }
    return items;
}

// CB_ERR (-1) when nothing is selected.
int Window::comboSelection() const {
    return static_cast<int>(send(CB_GETCURSEL));
}

// CB_GETDROPPEDSTATE is TRUE while the list is open.
bool Window::comboDroppedDown() const {
    return send(CB_GETDROPPEDSTATE) != 0;
}

// PBM_GETPOS needs no buffer.
int Window::progressPosition() const {
    return static_cast<int>(send(PBM_GETPOS));
}

// Two calls with a null PBRANGE: a pointer into this process would mean nothing to the target.
std::pair<int, int> Window::progressRange() const {
    const int low = static_cast<int>(send(PBM_GETRANGE, TRUE, 0));
    const int high = static_cast<int>(send(PBM_GETRANGE, FALSE, 0));
    return {low, high};
}

// The button type sits in the low four style bits.
bool Window::isDefaultButton() const {
    return (style() & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

} // namespace guitest
