#include "update/UpdateOperation.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "res/resource.h"
#include "update/UpdateWorker.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr wchar_t UpdateFileName[] = L"NV(01_01_06)_update.dcc";
// Pause of the poll that stands in for a wait that keeps failing.
constexpr DWORD FailedWaitPauseMs = 10;

UpdateThreadStarter threadStarter = &fw::WorkerThread::Start;

// True once the worker has ended. Its exit code alone cannot tell: a library's 0x0103 comes
// back as 259, STILL_ACTIVE.
bool WorkerEnded(const fw::WorkerThread& worker) {
    DWORD code = 0;
    if (worker.ExitCode(code) && code != STILL_ACTIVE) {
        return true;
    }
    return ::WaitForSingleObject(worker.Handle(), 0) == WAIT_OBJECT_0;
}

// The exit code is read only once the thread has ended, so no result passes for a running
// thread. Should the wait keep failing, the thread is polled instead.
int32_t WaitForWorker(const fw::WorkerThread& worker, fw::MessageFilter& filter,
                      fw::HeldQuit& quit) {
    if (fw::WaitPumping(worker.Handle(), INFINITE, &filter, quit) == fw::WaitResult::Failed) {
        while (!WorkerEnded(worker)) {
            ::Sleep(FailedWaitPauseMs);
            fw::PumpMessages(&filter, quit);
        }
    }
    DWORD code = 0;
    if (!worker.ExitCode(code)) {
        fw::FailureTrace(op::Update, "GetExitCodeThread").LastError();
    }
    return static_cast<int32_t>(code);
}

// Which caption a result box has.
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

const ResultBox& FindResultBox(int32_t result) {
    const auto found = std::find_if(std::begin(ResultBoxes), std::end(ResultBoxes),
                                    [&](const ResultBox& each) { return each.result == result; });
    return found != std::end(ResultBoxes) ? *found : FailureBox;
}

} // namespace

// Without the folder, "\\" + name would be the root of the current drive: another file.
std::wstring UpdateFilePath(ProgramFolderSource programFolder) {
    std::wstring folder;
    if (!programFolder(folder)) {
        return std::wstring();
    }
    return folder + L"\\" + UpdateFileName;
}

// The worker gets its port and file before it exists and its cleared cancel flag before it
// runs. The argument is the job itself: a pointer to an object that holds it may differ.
int32_t RunUpdate(UpdateJob& job, fw::MessageFilter& filter, fw::HeldQuit& quit) {
    // fw::ProgramFolder has left its trace.
    if (job.m_updateFilePath.empty()) {
        return UpdateFileNotFound;
    }
    const std::unique_ptr<fw::WorkerThread> worker =
        threadStarter(&UpdateWorkerThread, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!worker) {
        return UpdateNoThread;
    }
    job.m_cancelRequested.store(0);
    // A thread that cannot be resumed never runs, and waiting for it would never end.
    if (worker->Resume() == static_cast<DWORD>(-1)) {
        fw::FailureTrace(op::Update, "ResumeThread").LastError();
        ::TerminateThread(worker->Handle(), 0);
        return UpdateNoThread;
    }
    return WaitForWorker(*worker, filter, quit);
}

UINT UpdateResultMessage(int32_t result) {
    return FindResultBox(result).text;
}

fw::BoxContent UpdateResultBox(int32_t result, const std::string& windowCaption) {
    const ResultBox& box = FindResultBox(result);
    std::string caption;
    if (box.caption == BoxCaption::Completion) {
        caption = fw::LoadResString(IDS_COMPLETION);
    } else if (box.caption == BoxCaption::Window) {
        caption = windowCaption;
    }
    return {fw::LoadResString(box.text), caption, box.icon};
}

// Null brings back the real thread start.
void SetUpdateThreadStarter(UpdateThreadStarter starter) {
    threadStarter = starter != nullptr ? starter : &fw::WorkerThread::Start;
}
