// The main window: port list, Update, Verify, Quit and the progress bar.
//
// The window is a shell. Every member is defined in ui/MainDialog.cpp, and each handler there
// gathers what the work needs (the port library, the progress bar, a port, a path), calls the
// feature's free functions and shows the outcome: the port list and detection in
// ports/PortList.h, Verify in diag/Verify.h, Update in update/UpdateOperation.h with its worker
// in update/UpdateWorker.h. What the worker is handed is the window's update job, m_job.
#pragma once

#include "fw/AccPropAnnotations.h"
#include "fw/BarProgress.h"
#include "fw/BoxContent.h"
#include "fw/ComboBox.h"
#include "fw/Dialog.h"
#include "fw/HeldQuit.h"
#include "fw/MessagePump.h"
#include "fw/ProgressBar.h"
#include "portlib/PortTypes.h"
#include "ports/SpoolerPorts.h"
#include "update/UpdateJob.h"

#include <windows.h>

#include <string>

class PortLock;

class MainDialog : public fw::Dialog, public fw::MessageFilter {
public:
    // Loads the icon; the window comes with DoModal.
    explicit MainDialog(HWND parent);
    ~MainDialog() override;

    // Disables (busy) or enables the port list, Update, Verify and Quit; resets the bar.
    void SetBusy(bool busy);

    // Port list: rebuilds it from the spooler's ports.
    void FillPortList();
    // The first candidate port whose printer answers; NoPrinterFound or 0 otherwise.
    PortId AutoDetectPort();
    // The PortId of the selected list item; 0 when none is usable.
    PortId GetSelectedPortId();

    // During a transfer, Esc goes to OnCancel ahead of the dialog's keys; true when taken.
    bool PreTranslateMessage(MSG& msg) override;

    // Shows a message box owned by this window; the button pressed.
    int ShowMessage(const std::string& text, const char* caption, UINT style);
    // The window's title.
    std::string Caption() const;

    fw::ComboBox m_portCombo;
    // The progress bar, Verify's and the update worker's.
    fw::ProgressBar m_progress;
    // The port, the data file, the stop flag and the bar that the update worker is handed.
    UpdateJob m_job;
    HICON m_icon;

protected:
    void DoDataExchange(bool saving) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override;
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // System menu: opens the about box for its own item.
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Draws the icon while minimised.
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The icon shown while the minimised window is dragged.
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The annotation service is ready: the port list and the bar get their names.
    bool OnAnnotationsReady(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The controls' annotations go while the controls still exist.
    bool OnDestroy(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Session end: refused while a transfer runs.
    bool OnQueryEndSession(WPARAM wParam, LPARAM lParam, LRESULT& result);
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
    // Shows a box the work has decided on.
    void ShowBox(const fw::BoxContent& box);
    // Update: tells the operator that a stop was asked for and waits for the printer.
    void ShowStopping();
    // The keyboard focus on control: the bar during Update, which a screen reader reads with its
    // name and value; the button that started an operation after its result box.
    void MoveFocus(HWND control);

    static const fw::MessageEntry<MainDialog> MessageMap[];

    // The bar as the work reports to it.
    fw::BarProgress barProgress_{m_progress};
    fw::AccPropAnnotations annotations_;
    SpoolerPorts spooler_;
    // Update: true while the worker runs; Esc and the close box then offer to stop the transfer
    // instead of ending the window.
    bool transferRunning_ = false;
    // Update: a quit message that came during the transfer.
    fw::HeldQuit heldQuit_;
};
