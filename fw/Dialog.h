// Modal dialog base over a dialog template, with a table-driven message map.
#pragma once

#include <windows.h>

#include <cassert>
#include <cstddef>

namespace fw {

// One row of a dialog's message map. A row routes either a window message to a message
// handler, or a control notification (WM_COMMAND with a control id and notification code)
// to a command handler.
//
// Message handler: bool (T::*)(WPARAM wParam, LPARAM lParam, LRESULT& result)
//   Returns true when it handled the message, with the message's result in result;
//   false lets the dialog's default processing run as if the row were absent.
// Command handler: void (T::*)()
//   The notification is always taken as handled.
template <class T> struct MessageEntry {
    UINT message;
    int controlId;
    int notifyCode;
    bool (T::*onMessage)(WPARAM, LPARAM, LRESULT&);
    void (T::*onCommand)();
};

// A row that routes message to handler.
template <class T>
constexpr MessageEntry<T> OnMessage(UINT message, bool (T::*handler)(WPARAM, LPARAM, LRESULT&)) {
    return {message, 0, 0, handler, nullptr};
}

// A row that routes notifyCode of control controlId to handler.
template <class T>
constexpr MessageEntry<T> OnCommand(int controlId, int notifyCode, void (T::*handler)()) {
    return {WM_COMMAND, controlId, notifyCode, nullptr, handler};
}

// Offers a message to the rows of map, first match wins; true when a row handled it.
template <class T, std::size_t N>
bool RouteMessage(T& self, const MessageEntry<T> (&map)[N], UINT message, WPARAM wParam,
                  LPARAM lParam, LRESULT& result) {
    for (const MessageEntry<T>& entry : map) {
        if (entry.message != message) {
            continue;
        }
        if (entry.onCommand != nullptr) {
            if (LOWORD(wParam) == entry.controlId && HIWORD(wParam) == entry.notifyCode) {
                (self.*entry.onCommand)();
                result = 0;
                return true;
            }
            continue;
        }
        if ((self.*entry.onMessage)(wParam, lParam, result)) {
            return true;
        }
    }
    return false;
}

class Dialog {
public:
    // Binds the dialog to template templateId; parent null means the main window owns it.
    Dialog(int templateId, HWND parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window and runs it modally; the value given to EndDialog, or -1.
    INT_PTR DoModal();
    // The window, while it exists.
    HWND Handle() const { return hwnd_; }
    // A control of the window.
    HWND Item(int id) const {
        assert(::IsWindow(hwnd_));
        return ::GetDlgItem(hwnd_, id);
    }
    // Runs the data exchange; saving is true when values go from the controls to members.
    bool UpdateData(bool saving);
    // Ends the modal run with result.
    void EndDialog(INT_PTR result);

protected:
    // Binds controls to members and moves values between them.
    virtual void DoDataExchange(bool saving);
    // Applies the template's initial data and runs the data exchange; true gives the
    // focus to the first control that takes it.
    virtual BOOL OnInitDialog();
    // The OK command: data exchange, then the end of the run.
    virtual void OnOK();
    // The Cancel command: ends the run, unless the Cancel button is there and disabled.
    virtual void OnCancel();
    // Offers a message to the dialog's own map; true when handled, with its result.
    virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Sends the template's dialog-init resource data (list strings) to its controls.
    void ApplyDialogInit();

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
};

} // namespace fw
