#include "update/UpdateOperation.h"

#include "fw/Text.h"
#include "fw/Trace.h"
#include "ports/PortLock.h"
#include "res/resource.h"
#include "ui/MainDialog.h"
#include "update/ShutdownBlock.h"
#include "update/UpdateWorker.h"

#include <optional>
#include <string>

namespace {

// The update data file, beside the program.
constexpr char UpdateFileName[] = "NV(01_01_06)_update.dcc";
// Pause of the fallback poll, should the wait itself ever fail.
constexpr DWORD FailedWaitPauseMs = 10;

UpdateThreadStarter threadStarter = &fw::WorkerThread::Start;

// A program path that cannot be had whole gives no folder: the file is then not found.
std::string UpdateFilePath() {
    std::string folder;
    if (!fw::ProgramFolder(folder)) {
        folder.clear();
    }
    return folder + "\\" + UpdateFileName;
}

// Sleeps until the worker ends or a message arrives, and dispatches the messages: the window
// stays responsive, the worker's progress messages get through, and no processor time goes to
// polling. The exit code is read only once the thread has ended, so no result can pass for a
// running thread (a library's 0x0103 arrives as 259, STILL_ACTIVE).
int32_t WaitForWorker(MainDialog& dialog, const fw::WorkerThread& worker) {
    const HANDLE handle = worker.Handle();
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            break;
        }
        if (woke == WAIT_FAILED) {
            const DWORD error = ::GetLastError();
            fw::FailureTrace("Update", "MsgWaitForMultipleObjects").LastError(error);
            ::Sleep(FailedWaitPauseMs);
        }
        dialog.PumpMessages();
    }
    DWORD code = 0;
    if (!worker.ExitCode(code)) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace("Update", "GetExitCodeThread").LastError(error);
    }
    return static_cast<int32_t>(code);
}

// 1, the missing and the empty file and the operator's stop have messages of their own; every
// other result is a failure.
void ReportResult(MainDialog& dialog, int32_t result) {
    if (result == PortOk) {
        dialog.ShowMessage(fw::LoadResString(IDS_UPDATE_DONE),
                           fw::LoadResString(IDS_COMPLETION).c_str(), MB_ICONINFORMATION);
    } else if (result == UpdateFileNotFound) {
        dialog.ShowMessage(fw::LoadResString(IDS_FILE_NOT_FOUND), nullptr, MB_ICONERROR);
    } else if (result == UpdateFileEmpty) {
        dialog.ShowMessage(fw::LoadResString(IDS_FILE_EMPTY), nullptr, MB_ICONERROR);
    } else if (result == UpdateCancelled) {
        dialog.ShowMessage(fw::LoadResString(IDS_UPDATE_STOPPED), dialog.Caption().c_str(),
                           MB_ICONWARNING);
    } else {
        dialog.ShowMessage(fw::LoadResString(IDS_COMM_ERROR), nullptr, MB_ICONERROR);
    }
}

// No worker runs: the operator may try again.
void ReportNoThread(MainDialog& dialog) {
    dialog.ShowMessage(fw::LoadResString(IDS_NO_THREAD), nullptr, MB_ICONERROR);
    dialog.SetBusy(false);
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
// lock covers the detection and the transfer, not the box that waits for the operator.
void MainDialog::OnUpdate() {
    UpdateData(true);
    if (!RequirePortSelection()) {
        return;
    }
    std::optional<PortLock> lock;
    lock.emplace();
    if (!RequirePortLock(*lock)) {
        return;
    }
    m_portId = GetSelectedPortId();
    m_updateFilePath = UpdateFilePath();
    SetBusy(true);
    const std::unique_ptr<fw::WorkerThread> worker =
        threadStarter(&UpdateWorkerThread, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!worker) {
        ReportNoThread(*this);
        return;
    }
    m_cancelRequested.store(0);
    // A thread that cannot be resumed never runs, and waiting for it would never end.
    if (worker->Resume() == static_cast<DWORD>(-1)) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace("Update", "ResumeThread").LastError(error);
        ::TerminateThread(worker->Handle(), 0);
        ReportNoThread(*this);
        return;
    }
    int32_t result = 0;
    {
        const ShutdownBlock block(Handle(), fw::LoadResString(IDS_UPDATE_RUNNING));
        transferRunning_ = true;
        result = WaitForWorker(*this, *worker);
        transferRunning_ = false;
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
            quitPending_ = true;
            quitCode_ = msg.wParam;
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
    if (quitPending_) {
        quitPending_ = false;
        ::PostQuitMessage(static_cast<int>(quitCode_));
    }
}
