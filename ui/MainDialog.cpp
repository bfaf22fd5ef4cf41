#include "ui/MainDialog.h"

#include "app/UpdaterApp.h"
#include "diag/Verify.h"
#include "fw/Application.h"
#include "fw/Module.h"
#include "fw/Operations.h"
#include "fw/PacedPainting.h"
#include "fw/PaintScope.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "ports/PortList.h"
#include "ports/PortLock.h"
#include "res/resource.h"
#include "ui/AboutDialog.h"
#include "ui/WindowAnnotations.h"
#include "update/ShutdownBlock.h"
#include "update/UpdateOperation.h"

namespace {

// The controls the busy state disables, in the order it disables them.
constexpr int BusyControls[] = {IDC_PORT_LIST, IDC_UPDATE, IDC_VERIFY, IDCANCEL};

// The bar's shortest repaint period during a transfer: the worker moves it after every piece,
// up to thousands of times a second, far more often than a screen shows. 30 ms is 33 frames a
// second, and 32 where the system's timers run on a 15.6 ms clock (two of its ticks): the bar
// shows a position at most about one period old. A bar slow to draw gets a longer period.
constexpr UINT BarFrameMs = 30;

// Posted once the annotation service is ready to be made on the window's thread.
constexpr UINT AnnotationsReady = WM_APP + 1;

// Escape for this window or one of its controls. With the focused control disabled no window
// may have the focus, and keys then come to the active window as system keys.
bool IsEscapeKey(HWND window, const MSG& msg) {
    return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == window || ::IsChild(window, msg.hwnd));
}

} // namespace

// Where the window's messages go; everything else is the dialog's default handling.
const fw::MessageEntry<MainDialog> MainDialog::MessageMap[] = {
    fw::OnMessage(WM_SYSCOMMAND, &MainDialog::OnSysCommand),
    fw::OnMessage(WM_PAINT, &MainDialog::OnPaint),
    fw::OnMessage(WM_QUERYDRAGICON, &MainDialog::OnQueryDragIcon),
    fw::OnMessage(WM_QUERYENDSESSION, &MainDialog::OnQueryEndSession),
    fw::OnMessage(WM_DESTROY, &MainDialog::OnDestroy),
    fw::OnMessage(AnnotationsReady, &MainDialog::OnAnnotationsReady),
    fw::OnCommand(IDC_PORT_LIST, CBN_DROPDOWN, &MainDialog::OnPortListDropDown),
    fw::OnCommand(IDC_VERIFY, BN_CLICKED, &MainDialog::OnVerify),
    fw::OnCommand(IDC_UPDATE, BN_CLICKED, &MainDialog::OnUpdate),
};

// The icon comes from the program's own resources.
MainDialog::MainDialog(HWND parent)
    : fw::Dialog(IDD_MAIN, parent),
      m_icon(::LoadIconA(fw::ProgramModule(), MAKEINTRESOURCEA(IDI_MAINFRAME))) {
    if (m_icon == nullptr) {
        fw::FailureTrace(op::MainWindow, "LoadIconA").LastError();
    }
    m_job.m_progress = &barProgress_;
}

// Shared icons need no destroying; the controls are the window's.
MainDialog::~MainDialog() = default;

// Binds the two controls the code talks to, in this order.
void MainDialog::DoDataExchange(bool) {
    m_progress.Attach(Item(IDC_PROGRESS));
    m_portCombo.Attach(Item(IDC_PORT_LIST));
}

// The base applies the initial list ("Auto selection") and binds the controls.
BOOL MainDialog::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    const HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
    if (systemMenu != nullptr) {
        const std::string about = fw::LoadResString(IDS_ABOUTBOX);
        if (!about.empty()) {
            ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    m_portCombo.SetCurSel(0);
    annotations_.Prepare(Handle(), AnnotationsReady);
    return TRUE;
}

// During a transfer Esc and the close box ask whether to stop it: the window itself stays, and
// the worker ends at its next attempt. Otherwise the base decides (a disabled Quit keeps it).
void MainDialog::OnCancel() {
    if (!transferRunning_) {
        fw::Dialog::OnCancel();
        return;
    }
    // Asked once: the worker may sit in a library call for a long while before it sees the flag.
    if (m_job.m_cancelRequested.load() == 1) {
        ShowStopping();
        return;
    }
    // No is the default: a stray Enter must not stop the update.
    const bool stop = ShowMessage(fw::LoadResString(IDS_STOP_UPDATE), Caption().c_str(),
                                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    // The box hands the focus back to whatever the window last had, which may be nothing.
    MoveFocus(m_progress.Handle());
    if (stop) {
        m_job.m_cancelRequested.store(1);
        ShowStopping();
    }
}

// The operation group's title is the window's one line of status.
void MainDialog::ShowStopping() {
    ShowStatus(annotations_, Item(IDC_OPERATION_GROUP), Status::Stopping);
}

// Through the dialog manager, so that no button is left looking like the default.
void MainDialog::MoveFocus(HWND control) {
    ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// Enter on anything but a button comes as OK: the window has no OK button, and only Quit, Esc
// and the close box end it. (Enter on the port list used to close the window mid-task.)
void MainDialog::OnOK() {}

bool MainDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return fw::RouteMessage(*this, MessageMap, message, wParam, lParam, result);
}

// The low four bits of a system command belong to the system. The close box goes straight to
// OnCancel during a transfer: the system may drop it while Quit is disabled.
bool MainDialog::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result) {
    const WPARAM command = wParam & 0xFFF0;
    if (command == SC_CLOSE && transferRunning_) {
        OnCancel();
        result = 0;
        return true;
    }
    if (command != IDM_ABOUTBOX) {
        return false;
    }
    AboutDialog about;
    about.DoModal();
    result = 0;
    return true;
}

// Only the minimised window is painted here: the icon, centred.
bool MainDialog::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    if (!::IsIconic(Handle())) {
        return false;
    }
    const fw::PaintScope paint(Handle());
    ::SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(paint.Dc(), x, y, m_icon);
    result = 0;
    return true;
}

// A half-written NVM must not be left behind by a shutdown or a log-off.
bool MainDialog::OnQueryEndSession(WPARAM, LPARAM, LRESULT& result) {
    if (!transferRunning_) {
        return false;
    }
    result = FALSE;
    return true;
}

// Without the service the controls keep the system's own names; the service traced why.
bool MainDialog::OnAnnotationsReady(WPARAM, LPARAM, LRESULT& result) {
    if (annotations_.Start()) {
        NameControls(annotations_, m_portCombo.Handle(), m_progress.Handle());
    }
    result = 0;
    return true;
}

bool MainDialog::OnDestroy(WPARAM, LPARAM, LRESULT&) {
    annotations_.ClearAll();
    return false;
}

bool MainDialog::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_icon);
    return true;
}

// A control that is disabled while it has the focus leaves the focus nowhere, and then the
// keyboard no longer reaches the dialog's own handling (Esc among it): the bar, which stays
// enabled and which a screen reader reads, has the focus while busy. Afterwards the caller puts
// it where the operation started.
void MainDialog::SetBusy(bool busy) {
    if (busy) {
        MoveFocus(m_progress.Handle());
    }
    for (const int id : BusyControls) {
        ::EnableWindow(Item(id), busy ? FALSE : TRUE);
    }
    m_progress.SetPos(0);
    if (!busy) {
        ShowStatus(annotations_, Item(IDC_OPERATION_GROUP), Status::None);
    }
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int MainDialog::ShowMessage(const std::string& text, const char* caption, UINT style) {
    const int pressed = ::MessageBoxA(Handle(), text.c_str(), caption, MB_OK | style);
    if (pressed == 0) {
        fw::FailureTrace(op::Message, "MessageBoxA").LastError().Note(text);
    }
    return pressed;
}

// Room for any title the template gives.
std::string MainDialog::Caption() const {
    char text[256] = {};
    const int length = ::GetWindowTextA(Handle(), text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// Shown as the work decided: no caption means the system's own.
void MainDialog::ShowBox(const fw::BoxContent& box) {
    ShowMessage(box.text, box.caption.empty() ? nullptr : box.caption.c_str(), box.icon);
}

bool MainDialog::RequirePortSelection() {
    if (m_portCombo.GetCurSel() != CB_ERR) {
        return true;
    }
    ShowMessage(fw::LoadResString(IDS_SELECT_PORT), nullptr, MB_ICONERROR);
    MoveFocus(m_portCombo.Handle());
    return false;
}

// Nothing of the ports is touched when another copy holds them, or something that is not one.
bool MainDialog::RequirePortLock(const PortLock& lock) {
    if (lock.Held()) {
        return true;
    }
    ShowMessage(fw::LoadResString(lock.Foreign() ? IDS_PORTS_LOCK_FOREIGN : IDS_PORTS_IN_USE),
                nullptr, MB_ICONERROR);
    return false;
}

// Talking to every candidate port takes a while.
void MainDialog::OnPortListDropDown() {
    fw::WaitCursor wait;
    FillPortList();
}

// While another copy holds the ports (its transfer may be on one of them), or something that is
// not a copy holds the lock's name, the list shows the names alone and no port is opened.
void MainDialog::FillPortList() {
    const PortLock lock;
    ::FillPortList(m_portCombo, spooler_, UpdaterApp::Running().Ports(), lock.Held());
}

PortId MainDialog::AutoDetectPort() {
    return DetectPrinter(spooler_, UpdaterApp::Running().Ports());
}

PortId MainDialog::GetSelectedPortId() {
    return SelectedPort(m_portCombo, spooler_, UpdaterApp::Running().Ports());
}

// Runs wholly on the window's thread and dispatches nothing until its box shows; the bar keeps
// its position while the box is up, so it tells how far the sequence got. Keys and clicks given
// meanwhile were meant for a window that could not answer: they must not answer the box. A quit
// found among them waits for the box to be closed.
void MainDialog::OnVerify() {
    UpdateData(true);
    if (!RequirePortSelection()) {
        return;
    }
    VerifyResult result;
    {
        const PortLock lock;
        if (!RequirePortLock(lock)) {
            return;
        }
        // Shown and painted now: nothing is painted again until the box comes.
        ShowStatus(annotations_, Item(IDC_OPERATION_GROUP), Status::Verifying);
        UpdaterApp& app = UpdaterApp::Running();
        result = RunVerify(app.Ports(), app.Diag(), GetSelectedPortId(), barProgress_);
    }
    ShowStatus(annotations_, Item(IDC_OPERATION_GROUP), Status::None);
    fw::HeldQuit quit;
    fw::DiscardQueuedInput(quit);
    ShowBox(VerifyResultBox(result));
    // An access key presses its button wherever the focus is, and the box hands the focus back
    // to that place: the operator is put back on the button that started the operation.
    MoveFocus(Item(IDC_VERIFY));
    m_progress.SetPos(0);
    quit.Release();
}

// Returns only after the worker has ended and its result has been shown. The port lock covers
// the detection and the transfer, never a box that waits for the operator; a quit that comes
// meanwhile waits for the result box.
void MainDialog::OnUpdate() {
    UpdateData(true);
    if (!RequirePortSelection()) {
        return;
    }
    int32_t result = 0;
    {
        const PortLock lock;
        if (!RequirePortLock(lock)) {
            return;
        }
        m_job.m_portId = GetSelectedPortId();
        m_job.m_updateFilePath = UpdateFilePath();
        SetBusy(true);
        const ShutdownBlock block(Handle(), fw::LoadResString(IDS_UPDATE_RUNNING));
        // Ends with the run, whatever its end: the bar then shows its last position before the
        // result box does.
        const fw::PacedPainting pacedBar(m_progress.Handle(), BarFrameMs);
        transferRunning_ = true;
        result = RunUpdate(m_job, *this, heldQuit_);
        transferRunning_ = false;
    }
    // The box gives the focus back to what had it, and the system may do so only after the
    // focus has been put on Update below: the window itself, not the bar, leaves that standing.
    ::SetFocus(Handle());
    ShowBox(UpdateResultBox(result, Caption()));
    SetBusy(false);
    MoveFocus(Item(IDC_UPDATE));
    heldQuit_.Release();
}

// During a transfer Esc goes to OnCancel itself, ahead of the dialog's keys: the system's dialog
// keys may drop it while Quit is disabled.
bool MainDialog::PreTranslateMessage(MSG& msg) {
    if (transferRunning_ && IsEscapeKey(Handle(), msg)) {
        OnCancel();
        return true;
    }
    return ::IsDialogMessageA(Handle(), &msg) != FALSE;
}
