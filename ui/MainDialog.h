// The main window: port list, Update, Verify, Quit and the progress bar.
#pragma once

#include "fw/ComboBox.h"
#include "fw/Dialog.h"
#include "fw/HeldQuit.h"
#include "fw/ProgressBar.h"
#include "portlib/PortTypes.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

class PortEnumerator;
class PortLock;

class MainDialog : public fw::Dialog {
public:
    // Loads the icon; the window comes with DoModal.
    explicit MainDialog(HWND parent);
    ~MainDialog() override;

    // Disables (busy) or enables the port list, Update, Verify and Quit; resets the bar.
    void SetBusy(bool busy);

    // Port list: rebuilds it from the spooler's ports.
    void FillPortList();
    // Maps a port name or list item text to its PortId; 0 for none.
    PortId PortIdFromName(const char* text) const;
    // Asks the printer on port for its model name, into a 100-byte buffer.
    bool QueryModelName(PortId port, char* buffer);
    // The first candidate port whose printer answers; NoPrinterFound or 0 otherwise.
    PortId AutoDetectPort();
    // The PortId of the selected list item; 0 when none is usable.
    PortId GetSelectedPortId();
    // Ports: tests alone hand in a stand-in for the spooler's port list (null: the spooler).
    void SetPortEnumerator(PortEnumerator* source) { portEnumerator_ = source; }

    // Dispatches every queued message of this thread, the dialog keys included. A quit message
    // is kept back for QuitWhenIdle rather than dispatched.
    void PumpMessages();
    // Offers a message to the window's own keys before the dialog's; true when taken.
    bool PreTranslateMessage(MSG& msg);
    // Posts again the quit message that PumpMessages kept back, if there was one.
    void QuitWhenIdle();

    // Shows a message box owned by this window; the button pressed.
    int ShowMessage(const std::string& text, const char* caption, UINT style);
    // The window's title.
    std::string Caption() const;

    // Shared with the update worker: written before it starts, read while it runs.
    fw::ProgressBar m_progress;
    fw::ComboBox m_portCombo;
    HICON m_icon;
    std::wstring m_updateFilePath;
    std::atomic<int32_t> m_cancelRequested{0};
    PortId m_portId = 0;

protected:
    void DoDataExchange(bool saving) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // System menu: opens the about box for its own item.
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Draws the icon while minimised.
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The icon shown while the minimised window is dragged.
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The port list is about to drop down: refill it.
    void OnPortListDropDown();
    // The Verify button.
    void OnVerify();
    // The Update button.
    void OnUpdate();
    // Shows "Please select a port." and focuses the list when nothing is selected.
    bool RequirePortSelection();
    // Tells the operator when another copy holds the ports; true when lock is held here.
    bool RequirePortLock(const PortLock& lock);
    // Session end: refused while a transfer runs.
    bool OnQueryEndSession(WPARAM wParam, LPARAM lParam, LRESULT& result);

    static const fw::MessageEntry<MainDialog> MessageMap[];

    HWND focusBeforeBusy_ = nullptr;
    // Ports: where the port list comes from; null means the print spooler.
    PortEnumerator* portEnumerator_ = nullptr;

    // Update: true while the worker runs; Esc, the close box and Enter then cannot end the
    // window (Esc and the close box offer to stop the transfer instead).
    bool transferRunning_ = false;
    // Update: a quit message that came during the transfer.
    fw::HeldQuit heldQuit_;
    // Update: tells the operator that a stop was asked for and waits for the printer.
    void ShowStopping();
    // Update: Enter ends the window only while no transfer runs.
    void OnOK() override;
};
