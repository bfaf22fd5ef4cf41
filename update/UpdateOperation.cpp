#include "update/UpdateOperation.h"

#include "fw/Text.h"
#include "fw/Trace.h"
#include "ports/PortLock.h"
#include "res/resource.h"
#include "ui/MainDialog.h"
#include "update/ShutdownBlock.h"
#include "update/UpdateWorker.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

namespace {

// The update data file, beside the program.
constexpr wchar_t UpdateFileName[] = L"NV(01_01_06)_update.dcc";
// Pause of the fallback poll, should the wait itself fail.
constexpr DWORD FailedWaitPauseMs = 10;
// Failed waits in a row after which the wait is given up for the fallback poll.
constexpr int FailedWaitLimit = 100;
// No worker thread could be started; never a thread's exit code.
constexpr int32_t UpdateNoThread = UpdateOutcomeBase + 0x100;

UpdateThreadStarter threadStarter = &fw::WorkerThread::Start;

// A program path that cannot be had whole gives no folder: the file is then not found.
std::wstring UpdateFilePath() {
    std::wstring folder;
    if (!fw::ProgramFolder(folder)) {
        folder.clear();
    }
    return folder + L"\\" + UpdateFileName;
}

// True once the worker has ended. Its exit code alone cannot tell: a library's 0x0103 comes
// back as 259, STILL_ACTIVE.
bool WorkerEnded(const fw::WorkerThread& worker) {
    DWORD code = 0;
    if (worker.ExitCode(code) && code != STILL_ACTIVE) {
        return true;
    }
    return ::WaitForSingleObject(worker.Handle(), 0) == WAIT_OBJECT_0;
}

// Sleeps until the worker ends or a message arrives, and dispatches the messages: the window
// stays responsive, the worker's progress messages get through, and no processor time goes to
// polling. Should the wait keep failing, the thread is polled instead, with a pause.
int32_t WaitForWorker(MainDialog& dialog, const fw::WorkerThread& worker) {
    const HANDLE handle = worker.Handle();
    int failedWaits = 0;
    while (failedWaits < FailedWaitLimit) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            break;
        }
        if (woke == WAIT_FAILED) {
            if (failedWaits++ == 0) {
                const DWORD error = ::GetLastError();
                fw::FailureTrace("Update", "MsgWaitForMultipleObjects").LastError(error);
            }
            ::Sleep(FailedWaitPauseMs);
        } else {
            failedWaits = 0;
        }
        dialog.PumpMessages();
    }
    while (failedWaits >= FailedWaitLimit && !WorkerEnded(worker)) {
        ::Sleep(FailedWaitPauseMs);
        dialog.PumpMessages();
    }
    DWORD code = 0;
    if (!worker.ExitCode(code)) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace("Update", "GetExitCodeThread").LastError(error);
    }
    return static_cast<int32_t>(code);
}

// Which box tells the operator how the update ended.
enum class BoxCaption { SystemDefault, Completion, Window };
struct ResultBox {
    int32_t result;
    UINT text;
    BoxCaption caption;
    UINT icon;
};
constexpr ResultBox ResultBoxes[] = {
    {PortOk, IDS_UPDATE_DONE, BoxCaption::Completion, MB_ICONINFORMATION},
    {UpdateFileNotFound, IDS_FILE_NOT_FOUND, BoxCaption::SystemDefault, MB_ICONERROR},
    {UpdateFileInUse, IDS_FILE_IN_USE, BoxCaption::SystemDefault, MB_ICONERROR},
    {UpdateFileEmpty, IDS_FILE_EMPTY, BoxCaption::SystemDefault, MB_ICONERROR},
    {UpdateReadFailed, IDS_FILE_UNREADABLE, BoxCaption::SystemDefault, MB_ICONERROR},
    {UpdateFileChanged, IDS_FILE_CHANGED, BoxCaption::SystemDefault, MB_ICONERROR},
    {UpdateCancelled, IDS_UPDATE_STOPPED, BoxCaption::Window, MB_ICONWARNING},
    {UpdateNoThread, IDS_NO_THREAD, BoxCaption::SystemDefault, MB_ICONERROR},
};
// Every other result, the library's own and the worker's other codes alike.
constexpr ResultBox FailureBox = {0, IDS_COMM_ERROR, BoxCaption::SystemDefault, MB_ICONERROR};

void ReportResult(MainDialog& dialog, int32_t result) {
    const auto found = std::find_if(std::begin(ResultBoxes), std::end(ResultBoxes),
                                    [&](const ResultBox& each) { return each.result == result; });
    const ResultBox& box = found != std::end(ResultBoxes) ? *found : FailureBox;
    std::string caption;
    if (box.caption == BoxCaption::Completion) {
        caption = fw::LoadResString(IDS_COMPLETION);
    } else if (box.caption == BoxCaption::Window) {
        caption = dialog.Caption();
    }
    dialog.ShowMessage(fw::LoadResString(box.text),
                       box.caption == BoxCaption::SystemDefault ? nullptr : caption.c_str(),
                       box.icon);
}

// Escape for this window or one of its controls. With the focused control disabled no window
// may have the focus, and keys then come to the active window as system keys.
bool IsEscapeKey(HWND window, const MSG& msg) {
    return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == window || ::IsChild(window, msg.hwnd));
}

} // namespace

// Null brings back the real thread start.
void SetUpdateThreadStarter(UpdateThreadStarter starter) {
    threadStarter = starter != nullptr ? starter : &fw::WorkerThread::Start;
}

// The worker gets its port and file before it exists and its cleared cancel flag before it
// runs; this handler returns only after it has ended and its result has been shown. The port
// lock covers the detection and the transfer, never a box that waits for the operator.
void MainDialog::OnUpdate() {
    UpdateData(true);
    if (!RequirePortSelection()) {
        return;
    }
    std::optional<PortLock> lock(std::in_place);
    if (!RequirePortLock(*lock)) {
        return;
    }
    m_portId = GetSelectedPortId();
    m_updateFilePath = UpdateFilePath();
    SetBusy(true);
    int32_t result = UpdateNoThread;
    const std::unique_ptr<fw::WorkerThread> worker =
        threadStarter(&UpdateWorkerThread, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (worker) {
        m_cancelRequested.store(0);
        // A thread that cannot be resumed never runs, and waiting for it would never end.
        if (worker->Resume() == static_cast<DWORD>(-1)) {
            const DWORD error = ::GetLastError();
            fw::FailureTrace("Update", "ResumeThread").LastError(error);
            ::TerminateThread(worker->Handle(), 0);
        } else {
            const ShutdownBlock block(Handle(), fw::LoadResString(IDS_UPDATE_RUNNING));
            transferRunning_ = true;
            result = WaitForWorker(*this, *worker);
            transferRunning_ = false;
        }
    }
    lock.reset();
    ReportResult(*this, result);
    SetBusy(false);
    QuitWhenIdle();
}

// Takes every queued message of this thread off the queue and dispatches it. A quit message is
// kept back: dispatched it would be lost, and the window must not end under a running worker.
void MainDialog::PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            heldQuit_.Take(msg);
            continue;
        }
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
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

// After the outcome has been shown, so the operator still learns how the update ended.
void MainDialog::QuitWhenIdle() {
    heldQuit_.Release();
}
