// The Update operation inside the running tool: how it starts its worker, and which message
// each worker result brings, through the one seam tests have (how the worker thread starts).
#include "InProcessApp.h"
#include "Product.h"
#include "SimFolder.h"

#include "Controls.h"
#include "Dialogs.h"
#include "Probe.h"
#include "Wait.h"
#include "WineSettings.h"

#include "fw/UniqueHandle.h"
#include "fw/WorkerThread.h"
#include "ports/PortLock.h"
#include "res/resource.h"
#include "update/UpdateJob.h"
#include "update/UpdateOperation.h"
#include "update/UpdateWorker.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

// Run on its own before every other case (a CTest fixture): Wine reads the setting at the
// program's start.
TEST(UpdateWindows, AreUnmanaged) {
    guitest::useUnmanagedWindows("update_tests.exe");
}

namespace {

using guitest::IconKind;
using guitest::Window;

constexpr char DefaultCaption[] = "Error";

// The exit code the stand-in worker ends with.
std::atomic<DWORD> fakeResult{0};

// Stands in for the worker: ends at once with fakeResult.
DWORD FakeWorker(void*) {
    return fakeResult.load();
}

// Starts the stand-in instead of the worker, as the real start would.
std::unique_ptr<fw::WorkerThread> StartFake(fw::WorkerThread::Body, void*, int priority,
                                            unsigned stackSize, DWORD flags) {
    return fw::WorkerThread::Start(&FakeWorker, nullptr, priority, stackSize, flags);
}

// A start that fails, as when no thread can be made.
std::unique_ptr<fw::WorkerThread> StartNothing(fw::WorkerThread::Body, void*, int, unsigned,
                                               DWORD) {
    return nullptr;
}

// Stands in for a worker that the operator stops right after a piece: half the range, then the
// stop, within a fraction of the bar's repaint period.
DWORD StoppedAtHalfWorker(void* job) {
    fw::ProgressSink& bar = *static_cast<UpdateJob*>(job)->m_progress;
    bar.SetRange32(0, 10);
    bar.SetPos(5);
    return static_cast<DWORD>(UpdateCancelled);
}

std::unique_ptr<fw::WorkerThread> StartStoppedAtHalf(fw::WorkerThread::Body, void* argument,
                                                     int priority, unsigned stackSize,
                                                     DWORD flags) {
    return fw::WorkerThread::Start(&StoppedAtHalfWorker, argument, priority, stackSize, flags);
}

// The colour the bar shows at a share of its width, halfway down.
COLORREF BarPixel(const Window& bar, double share) {
    RECT client{};
    ::GetClientRect(bar.handle(), &client);
    const HDC dc = ::GetDC(bar.handle());
    const COLORREF colour =
        ::GetPixel(dc, static_cast<int>(client.right * share), client.bottom / 2);
    ::ReleaseDC(bar.handle(), dc);
    return colour;
}

// How the tool asked for its worker, and what the thread looked like just after.
struct StartRequest {
    fw::WorkerThread::Body body = nullptr;
    UpdateJob* job = nullptr;
    int priority = -1;
    unsigned stackSize = 1;
    DWORD flags = 0;
    DWORD suspendCount = 0;
};
StartRequest request;

// Starts the real worker, records the request and the thread's suspend count, and sets the
// cancel flag as a stale earlier run might have left it: the tool must clear it before the
// worker runs.
std::unique_ptr<fw::WorkerThread> StartRecorded(fw::WorkerThread::Body body, void* argument,
                                                int priority, unsigned stackSize, DWORD flags) {
    request = {body, static_cast<UpdateJob*>(argument), priority, stackSize, flags, 0};
    auto thread = fw::WorkerThread::Start(body, argument, priority, stackSize, flags);
    if (thread) {
        request.suspendCount = ::SuspendThread(thread->Handle());
        ::ResumeThread(thread->Handle());
    }
    request.job->m_cancelRequested.store(1);
    return thread;
}

// A worker whose printer has stopped taking data: it ends only once stallEnd is set.
HANDLE stallEnd = nullptr;
DWORD StalledWorker(void*) {
    ::WaitForSingleObject(stallEnd, INFINITE);
    return 1;
}
std::unique_ptr<fw::WorkerThread> StartStalled(fw::WorkerThread::Body, void*, int priority,
                                               unsigned stackSize, DWORD flags) {
    return fw::WorkerThread::Start(&StalledWorker, nullptr, priority, stackSize, flags);
}

// WM_POINTERDOWN, a tap; the headers give it only to programs built for Windows 8.
constexpr UINT PointerDown = 0x0246;
// Set when the tool's thread takes a tap from its queue to dispatch it.
HANDLE tapTaken = nullptr;
LRESULT CALLBACK SeeTap(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && removal == PM_REMOVE &&
        reinterpret_cast<const MSG*>(message)->message == PointerDown) {
        ::SetEvent(tapTaken);
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}

// The program's folder, as fw::ProgramFolder would give it, or a folder that cannot be read.
bool SomeFolder(std::wstring& folder) {
    folder = L"C:\\Tools";
    return true;
}
bool NoFolder(std::wstring&) {
    return false;
}

// Dispatches everything.
class NoFilter : public fw::MessageFilter {
public:
    bool PreTranslateMessage(MSG&) override { return false; }
};

} // namespace

// The simulator's files in a folder of their own, a printer on LPT1 with no delays, and the
// seam put back after each test.
class OperationTest : public ::testing::Test {
protected:
    // The simulator's printer for this test.
    void SetUp() override {
        simctl::Scenario scenario;
        scenario.printer(simctl::lpt(1)).rate(0);
        sim_.Use(scenario);
    }
    // The real thread start again for the next test.
    void TearDown() override { SetUpdateThreadStarter(nullptr); }

    // Clicks Update and returns the box that follows.
    static Window ClickUpdate(const InProcessApp& app) {
        app.Control(IDC_UPDATE).clickByMessage();
        return app.WaitForBox();
    }

    // True when every busy control has the given state.
    static bool AllEnabled(const InProcessApp& app, bool enabled) {
        for (const int id : product::BusyControls) {
            if (app.Control(id).enabled() != enabled) {
                return false;
            }
        }
        return true;
    }

    // Waits until the busy state has been left (it is, just after the box goes).
    static bool BackToIdle(const InProcessApp& app) {
        try {
            return guitest::waitFor("the controls to be enabled",
                                    [&] { return AllEnabled(app, true); });
        } catch (const guitest::WaitTimeout&) {
            return false;
        }
    }

    unittest::SimFolder sim_;
};

// 1, the data file's faults (missing, in use, empty, unreadable, changed) and the operator's
// stop have messages of their own; every other result, the worker's other codes and the
// sign-extended library codes alike, is "Communication error!". A library result never passes for
// one of the worker's codes: -245 (0xFF0B widened) is a port failure, not a missing file. 259 is a
// result like any other: the wait does not take it for a running thread. The box comes in the busy
// state, owned by the main window, and the state is left when it is closed.
TEST_F(OperationTest, EachWorkerResultBringsItsMessage) {
    struct Case {
        int32_t result;
        const char* text;
        const char* caption;
        IconKind icon;
    };
    const std::string done = "The NVM update is completed when data LED turns off the light.\r\n"
                             "Then restart the printer and click [Verify] button to check the "
                             "NVM version.";
    const Case cases[] = {
        {1, done.c_str(), "Completion", IconKind::Information},
        {UpdateFileNotFound, "\"NV(01_01_06)_update.dcc\" file is not found.", DefaultCaption,
         IconKind::Error},
        {UpdateFileEmpty,
         "\"NV(01_01_06)_update.dcc\" file is empty.\r\nNothing was sent to the printer.",
         DefaultCaption, IconKind::Error},
        {UpdateCancelled,
         "The NVM update was stopped. The printer did not receive all of the update data.\r\n"
         "Run Update again before using the printer.",
         "Corvane (NVM Ver.1.01.06)", IconKind::Warning},
        {UpdateNoMemory, product::CommError, DefaultCaption, IconKind::Error},
        {-245, product::CommError, DefaultCaption, IconKind::Error},
        {-20480, product::CommError, DefaultCaption, IconKind::Error},
        {-16384, product::CommError, DefaultCaption, IconKind::Error},
        {-12288, product::CommError, DefaultCaption, IconKind::Error},
        {UpdateReadFailed,
         "\"NV(01_01_06)_update.dcc\" file could not be read.\r\nThe printer did not receive all "
         "of "
         "the update data. Check the drive that holds the file, then run Update again before "
         "using the printer.",
         DefaultCaption, IconKind::Error},
        {UpdateFileInUse,
         "\"NV(01_01_06)_update.dcc\" file is in use by another program.\r\nClose that program, "
         "then try again. Nothing was sent to the printer.",
         DefaultCaption, IconKind::Error},
        {UpdateFileChanged,
         "\"NV(01_01_06)_update.dcc\" file changed during the update.\r\nThe printer did not "
         "receive the update data as it was. Run Update again before using the printer.",
         DefaultCaption, IconKind::Error},
        {UpdateSentSizeInvalid, product::CommError, DefaultCaption, IconKind::Error},
        {4096, product::CommError, DefaultCaption, IconKind::Error},
        {259, product::CommError, DefaultCaption, IconKind::Error},
        {0, product::CommError, DefaultCaption, IconKind::Error},
    };
    SetUpdateThreadStarter(&StartFake);
    const InProcessApp app;
    for (const Case& each : cases) {
        SCOPED_TRACE("worker result " + std::to_string(each.result));
        fakeResult.store(static_cast<DWORD>(each.result));
        const Window box = ClickUpdate(app);
        EXPECT_EQ(guitest::messageText(box), each.text);
        EXPECT_EQ(box.caption(), each.caption);
        EXPECT_EQ(guitest::dialogIcon(box), each.icon);
        EXPECT_EQ(box.owner(), app.Main());
        EXPECT_TRUE(AllEnabled(app, false));
        app.Press(box, IDOK);
        EXPECT_TRUE(BackToIdle(app));
        EXPECT_EQ(app.Control(IDC_PROGRESS).progressPosition(), 0);
    }
}

// No thread: the out-of-memory message in the busy state, the port lock already given back,
// then all controls back.
TEST_F(OperationTest, NoThreadShowsTheOutOfMemoryMessage) {
    SetUpdateThreadStarter(&StartNothing);
    const InProcessApp app;
    const Window box = ClickUpdate(app);
    EXPECT_EQ(guitest::messageText(box), "There is not enough free memory to run this program.\n"
                                         "Quit one or more programs, and then try again.");
    {
        // This thread stands for another copy: the ports are free while the box waits.
        const PortLock another;
        EXPECT_TRUE(another.Held()) << "the port lock is held while the box waits";
    }
    EXPECT_EQ(box.caption(), DefaultCaption);
    EXPECT_EQ(guitest::dialogIcon(box), IconKind::Error);
    EXPECT_EQ(box.owner(), app.Main());
    EXPECT_TRUE(AllEnabled(app, false));
    app.Press(box, IDOK);
    EXPECT_TRUE(BackToIdle(app));
}

// The worker is the real one, started suspended at normal priority with the default stack and
// the main window as argument; its port and file are set before it starts, and a cancel flag
// still set when the thread was made is cleared before it runs (else the run would stop).
TEST_F(OperationTest, WorkerStartsSuspendedAndRunsWithACleanCancelFlag) {
    SetUpdateThreadStarter(&StartRecorded);
    const InProcessApp app;
    const Window box = ClickUpdate(app);
    EXPECT_EQ(box.caption(), "Completion");
    app.Press(box, IDOK);
    EXPECT_EQ(request.body, &UpdateWorkerThread);
    ASSERT_NE(request.job, nullptr);
    EXPECT_EQ(request.priority, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(request.stackSize, 0u);
    EXPECT_EQ(request.flags, static_cast<DWORD>(CREATE_SUSPENDED));
    EXPECT_EQ(request.suspendCount, 1u);
    EXPECT_EQ(request.job->m_portId, simctl::lpt(1));
    wchar_t self[MAX_PATH] = {};
    const std::wstring program(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    EXPECT_TRUE(request.job->m_updateFilePath ==
                program.substr(0, program.rfind(L'\\')) + L"\\NV(01_01_06)_update.dcc");
}

// Update started with the focus nowhere (its command sent, as an accessibility tool may, rather
// than a click, which focuses the button) leaves no control to return the focus to: it goes to
// Update, which started it, not to the group box or nowhere.
TEST_F(OperationTest, FocusGoesToUpdateWhenNoneHadItBeforeUpdate) {
    const InProcessApp app;
    const Window& main = app.Main();
    // SetFocus works on the calling thread's windows: for a moment the test shares the input
    // state of the tool's thread.
    ASSERT_TRUE(::AttachThreadInput(::GetCurrentThreadId(), main.threadId(), TRUE));
    ::SetFocus(nullptr);
    ::AttachThreadInput(::GetCurrentThreadId(), main.threadId(), FALSE);
    ASSERT_EQ(guitest::focusedWindow(main), Window());
    // The command itself: a click would give the button the focus first.
    main.post(WM_COMMAND, MAKEWPARAM(IDC_UPDATE, BN_CLICKED),
              reinterpret_cast<LPARAM>(app.Control(IDC_UPDATE).handle()));
    const Window box = app.WaitForBox();
    EXPECT_EQ(box.caption(), "Completion");
    app.Press(box, IDOK);
    EXPECT_TRUE(BackToIdle(app));
    const Window update = app.Control(IDC_UPDATE);
    EXPECT_NO_THROW(guitest::waitFor("the focus on Update",
                                     [&] { return guitest::focusedWindow(main) == update; }))
        << "focus on \"" << guitest::focusedWindow(main).caption() << "\"";
}

// The icon dragged for the minimised window is the window's own: it goes back as the message's
// result, not as the dialog procedure's TRUE, which the system would take for an icon handle.
TEST_F(OperationTest, DragIconIsTheWindowsOwnIcon) {
    const InProcessApp app;
    const LRESULT icon = app.Main().send(WM_GETICON, ICON_BIG);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(app.Main().send(WM_QUERYDRAGICON), icon);
}

// A tap during a transfer that waits on a stalled printer is taken from the queue and dispatched
// at once, not when the printer next answers: a second is the bound, not a pause.
TEST_F(OperationTest, TapDuringAStalledTransferIsDispatchedAtOnce) {
    const fw::UniqueHandle end(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const fw::UniqueHandle taken(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    stallEnd = end.Get();
    tapTaken = taken.Get();
    SetUpdateThreadStarter(&StartStalled);
    const InProcessApp app;
    app.Control(IDC_UPDATE).clickByMessage();
    guitest::waitFor("the busy state", [&] { return AllEnabled(app, false); });
    const HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &SeeTap, nullptr, app.Main().threadId());
    ASSERT_NE(hook, nullptr);
    app.Main().post(PointerDown, 1, MAKELPARAM(10, 10));
    EXPECT_EQ(::WaitForSingleObject(taken.Get(), 1000), WAIT_OBJECT_0);
    ::UnhookWindowsHookEx(hook);
    ::SetEvent(end.Get());
    const Window box = app.WaitForBox();
    EXPECT_EQ(box.caption(), "Completion");
    app.Press(box, IDOK);
}

// A program folder that cannot be read gives no data file, not "\\NV(01_01_06)_update.dcc" at
// the root of the current drive; Update is then "not found" without a worker.
TEST_F(OperationTest, NoProgramFolderIsNotFoundAndStartsNoWorker) {
    EXPECT_TRUE(UpdateFilePath(&SomeFolder) == L"C:\\Tools\\NV(01_01_06)_update.dcc");
    EXPECT_TRUE(UpdateFilePath(&NoFolder).empty());
    SetUpdateThreadStarter(&StartRecorded);
    request = {};
    UpdateJob job;
    job.m_updateFilePath = UpdateFilePath(&NoFolder);
    NoFilter filter;
    fw::HeldQuit quit;
    EXPECT_EQ(RunUpdate(job, filter, quit), UpdateFileNotFound);
    EXPECT_EQ(request.job, nullptr) << "a worker was started";
}

// The bar's drawing is held back during a transfer, yet a stop right after a piece (well within
// one repaint period) still shows that piece's position when the box comes, and the bar is
// drawing again by itself then (the system counts it as shown), on that run and the next.
TEST_F(OperationTest, BarShowsTheLastPositionWhenTheBoxComesAndDrawsByItselfAgain) {
    SetUpdateThreadStarter(&StartStoppedAtHalf);
    const InProcessApp app;
    const Window bar = app.Control(IDC_PROGRESS);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        const Window box = ClickUpdate(app);
        EXPECT_EQ(bar.progressPosition(), 5);
        EXPECT_TRUE(bar.visible());
        EXPECT_NE(BarPixel(bar, 0.25), BarPixel(bar, 0.75)) << "the bar is not drawn at half";
        app.Press(box, IDOK);
        EXPECT_TRUE(BackToIdle(app));
        EXPECT_TRUE(bar.visible());
    }
}
