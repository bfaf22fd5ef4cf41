// The fault sweep. A good Update and a good Verify, with "Auto selection" and with the printer's
// port named, are recorded call by call from the simulated library's log. Then every call of
// each recording is made to fail in each way that fits it, and so are the Win32 and run-time
// calls an Update makes, one fault per run. Every run must end with the box the contract gives,
// leave the port as the contract says (closed after success; after a failure left open for the
// next Open, which closes first), hand the printer no byte but the data file's in order, answer
// a message sent to its window, and end: every wait has its limit. The tool runs inside this
// program (InProcessApp), so a run costs a fraction of a second even under emulation.
#include "InProcessApp.h"
#include "SimFolder.h"
#include "Win32Faults.h"

#include "Controls.h"
#include "Dialogs.h"
#include "Product.h"
#include "Wait.h"
#include "WineSettings.h"

#include "diag/DiagCommands.h"
#include "fw/WorkerThread.h"
#include "portlib/LorvexApi.h"
#include "res/resource.h"
#include "update/UpdateOperation.h"
#include "update/UpdateWorker.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using guitest::IconKind;
using guitest::Window;
using Call = Win32Faults::Call;

// The printer sits on the second parallel port: "Auto selection" first meets a port without one.
constexpr PortId PrinterPort = simctl::lpt(2);
constexpr char PrinterPortName[] = "LPT2:";
constexpr char DataFileName[] = "NV(01_01_06)_update.dcc";
// Three pieces, the last one short.
constexpr std::size_t DataSize = 2500;
// The printer takes the second piece in part, as its flow control may: part of a good Update.
constexpr uint32_t PartialAccept = 600;
constexpr uint32_t PartialAtSend = 2;

// The failures put into calls. 0x0103 widens to 259, which is also STILL_ACTIVE.
constexpr uint16_t ErrorCode = 0x0103;
constexpr uint16_t IoErrorCode = 0x1000;
constexpr int16_t BrokenDetail = -5;
constexpr uint16_t Garbage = 0xBEEF;
// Bytes of the reply that a timed-out receive still delivers.
constexpr uint32_t PartialReply = 7;
// As long as any other wait: a window that does not answer within it is hung.
constexpr UINT AnswerLimitMs = 30000;

constexpr char MainCaption[] = "Corvane (NVM Ver.1.01.06)";
constexpr char ErrorCaption[] = "Error";
constexpr char UpdateDone[] = "The NVM update is completed when data LED turns off the light.\r\n"
                              "Then restart the printer and click [Verify] button to check the "
                              "NVM version.";
constexpr char VerifyDone[] = "NVM version = 1.00.05\r\n11BA = 05\r\n12BA = AB";
constexpr char StoppedText[] = "The NVM update was stopped. The printer did not receive all of the "
                               "update data.\r\nRun Update again before using the printer.";
constexpr char UnreadableText[] =
    "\"NV(01_01_06)_update.dcc\" file could not be read.\r\nThe printer did not receive all of the "
    "update data. Check the drive that holds the file, then run Update again before using the "
    "printer.";
constexpr char NoThreadText[] = "There is not enough free memory to run this program.\n"
                                "Quit one or more programs, and then try again.";

enum class Operation { Update, Verify };
enum class Selection { Auto, Named };
enum class Fault {
    None,
    ErrorResult,
    IoError,
    UpperBits,
    TakesNothing,
    PartialTimeOut,
    ReadFails,
    ThreadStartFails,
    ResumeFails,
    PriorityFails,
    NoMemory,
};
enum class Ending { Done, CommError, Stopped, NoThread, Unreadable };

// The box an ending brings.
struct Box {
    const char* text;
    const char* caption;
    IconKind icon;
};

Box BoxOf(Operation operation, Ending ending) {
    switch (ending) {
    case Ending::Done:
        return {operation == Operation::Update ? UpdateDone : VerifyDone, "Completion",
                IconKind::Information};
    case Ending::CommError:
        return {product::CommError, ErrorCaption, IconKind::Error};
    case Ending::Stopped:
        return {StoppedText, MainCaption, IconKind::Warning};
    case Ending::NoThread:
        return {NoThreadText, ErrorCaption, IconKind::Error};
    case Ending::Unreadable:
        return {UnreadableText, ErrorCaption, IconKind::Error};
    }
    return {};
}

const char* NameOf(Fault fault) {
    static const char* const names[] = {"none",           "error result",       "I/O error",
                                        "upper bits",     "takes nothing",      "partial time-out",
                                        "read fails",     "thread start fails", "resume fails",
                                        "priority fails", "no memory"};
    return names[static_cast<int>(fault)];
}

// One run of the sweep: which call fails, how, and how the contract says the run ends.
struct SweepRun {
    Operation operation = Operation::Update;
    Selection selection = Selection::Named;
    Fault fault = Fault::None;
    // The entry point or Win32 call, and which of its calls (from 1) fails.
    std::string call;
    uint32_t nth = 0;
    Ending ending = Ending::Done;

    std::string Label() const {
        return std::string(operation == Operation::Update ? "Update" : "Verify") +
               (selection == Selection::Auto ? " (auto)" : " (named)") + ": " + call + " #" +
               std::to_string(nth) + ", " + NameOf(fault);
    }
};

// What a run left behind.
struct Outcome {
    std::string text;
    std::string caption;
    IconKind icon = IconKind::None;
    bool ownedByMain = false;
    bool answered = false;
    bool answeredWhileStalled = true;
    bool idleAfterwards = false;
    // Every call of the run, from the click.
    std::vector<simctl::LogRecord> calls;
    std::string capture;
};

// Calls of the same entry point up to and including calls[index]: the simulator's count.
uint32_t OrdinalOf(const std::vector<simctl::LogRecord>& calls, std::size_t index) {
    uint32_t n = 0;
    for (std::size_t i = 0; i <= index; ++i) {
        n += calls[i].name == calls[index].name ? 1 : 0;
    }
    return n;
}

// A port without a printer fails to open anyway; a close's result is no one's business; the
// count after a whole send is not needed; garbage above 16 bits is never read. Everything else
// ends the operation with "Communication error!", but a send that takes nothing, which the
// operator stops during Update and which fails Verify.
Ending ContractFor(Operation operation, const std::vector<simctl::LogRecord>& calls,
                   std::size_t index, Fault fault) {
    const simctl::LogRecord& call = calls[index];
    if (fault == Fault::UpperBits || call.name == lvx::PortCloseName) {
        return Ending::Done;
    }
    if (fault == Fault::TakesNothing) {
        return operation == Operation::Update ? Ending::Stopped : Ending::CommError;
    }
    if (call.name == lvx::PortOpenName && call.number("port") != PrinterPort) {
        return Ending::Done;
    }
    if (call.name == lvx::GetPreviousSentDataSizeName) {
        return index > 0 && calls[index - 1].result == PortOk ? Ending::Done : Ending::CommError;
    }
    return Ending::CommError;
}

// The ways each entry point can fail.
std::vector<Fault> FaultsOf(const std::string& entry) {
    std::vector<Fault> faults{Fault::ErrorResult, Fault::IoError, Fault::UpperBits};
    if (entry == lvx::SendName) {
        faults.push_back(Fault::TakesNothing);
    }
    if (entry == lvx::ReceiveName) {
        faults.push_back(Fault::PartialTimeOut);
    }
    return faults;
}

// The tool's nothrow allocations in an Update, in order, and how each failure ends it: the
// port list of "Auto selection" (no list, no port: the open fails), the worker's two blocks
// (no thread), the transfer buffer.
std::vector<Ending> AllocationsOf(Operation operation, Selection selection) {
    std::vector<Ending> endings;
    if (selection == Selection::Auto) {
        endings.push_back(Ending::CommError);
    }
    if (operation == Operation::Update) {
        endings.insert(endings.end(), {Ending::NoThread, Ending::NoThread, Ending::CommError});
    }
    return endings;
}

// No pause after ENTER LANGUAGE: the simulated printer needs none.
void NoPause(uint32_t) {}

// The real worker start, noting the worker's thread for the read stand-in.
std::unique_ptr<fw::WorkerThread> StartNoted(fw::WorkerThread::Body body, void* argument,
                                             int priority, unsigned stackSize, DWORD flags) {
    auto thread = fw::WorkerThread::Start(body, argument, priority, stackSize, flags);
    Win32Faults::SetWorker(thread ? ::GetThreadId(thread->Handle()) : 0);
    return thread;
}

} // namespace

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = simctl::testData(DataSize, 14);
        dataPath_ = simctl::programFolder() + DataFileName;
        ASSERT_TRUE(simctl::writeFile(dataPath_, data_));
        previousPause_ = DiagCommands::ReplacePauseForTesting(&NoPause);
        SetUpdateThreadStarter(&StartNoted);
    }
    void TearDown() override {
        SetUpdateThreadStarter(nullptr);
        DiagCommands::ReplacePauseForTesting(previousPause_);
        simctl::removeFile(dataPath_);
    }

    // The scenario of a run: the printer, its flow control, and the run's one fault.
    simctl::Scenario ScenarioFor(const SweepRun& run) {
        simctl::Scenario scenario;
        simctl::Scenario::Printer& printer = scenario.printer(PrinterPort);
        printer.rate(0).partial(PartialAccept, PartialAtSend);
        // A new text each run: the library starts its counts afresh.
        printer.line("# run " + std::to_string(++serial_));
        switch (run.fault) {
        case Fault::ErrorResult:
            scenario.failCall(run.call, ErrorCode, 0, run.nth);
            break;
        case Fault::IoError:
            scenario.failCall(run.call, IoErrorCode, BrokenDetail, run.nth);
            break;
        case Fault::UpperBits:
            scenario.upperBits(run.call, Garbage, run.nth);
            break;
        case Fault::TakesNothing:
            // Update's sends are all data; a stalled printer takes nothing until the operator
            // stops. Verify's are commands: refused once, like a stall's first attempt.
            if (run.operation == Operation::Update) {
                printer.stall(0, run.nth);
            } else {
                scenario.failCall(run.call, IoErrorCode, IoDetailSendIncomplete, run.nth);
            }
            break;
        case Fault::PartialTimeOut:
            scenario.failCall(run.call, IoErrorCode, IoDetailReceiveTimeOut, run.nth, PartialReply);
            break;
        default:
            break;
        }
        return scenario;
    }

    // The Win32 call a fault makes fail.
    static bool Win32CallOf(Fault fault, Call& call) {
        switch (fault) {
        case Fault::ReadFails:
            call = Call::ReadFile;
            return true;
        case Fault::ThreadStartFails:
            call = Call::BeginThread;
            return true;
        case Fault::ResumeFails:
            call = Call::ResumeThread;
            return true;
        case Fault::PriorityFails:
            call = Call::SetThreadPriority;
            return true;
        case Fault::NoMemory:
            call = Call::NothrowNew;
            return true;
        default:
            return false;
        }
    }

    // The group's running tool: started once, with the printer's port chosen when named.
    std::unique_ptr<InProcessApp> StartApp(Selection selection) {
        sim_.Use(ScenarioFor(SweepRun{}));
        auto app = std::make_unique<InProcessApp>();
        if (selection == Selection::Named) {
            const Window combo = app->Control(IDC_PORT_LIST);
            guitest::dropDownByMessage(combo);
            guitest::closeDropDown(combo);
            guitest::selectComboItem(combo, NamedItem(combo));
        }
        return app;
    }

    // One run on the group's tool. A port that the last run left open is closed first, under
    // that run's scenario; the next call the tool makes then reads this run's, and the
    // library counts every entry point's calls afresh from there.
    Outcome Execute(const InProcessApp& app, const SweepRun& run) {
        Outcome outcome;
        UpdaterApp::Running().Ports().Close();
        sim_.Use(ScenarioFor(run));
        simctl::removeFile(sim_.Files().log);
        simctl::removeFile(sim_.Files().capture);
        Call call = Call::ReadFile;
        Win32Faults::Arm(call, 0);
        if (Win32CallOf(run.fault, call)) {
            Win32Faults::Arm(call, run.nth);
        }
        app.Control(run.operation == Operation::Update ? IDC_UPDATE : IDC_VERIFY).clickByMessage();
        if (run.fault == Fault::TakesNothing && run.operation == Operation::Update) {
            StopTheStall(app, outcome);
        }
        const Window box = app.WaitForBox();
        Win32Faults::Disarm();
        Observe(app, box, outcome);
        app.Press(box, IDOK);
        outcome.idleAfterwards = WaitUntilIdle(app);
        outcome.calls = sim_.Calls();
        outcome.capture = simctl::readFile(sim_.Files().capture);
        return outcome;
    }

    // The list item of the printer's port, once the drop-down has filled the list.
    static int NamedItem(const Window& combo) {
        const std::vector<std::string> items = combo.comboItems();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].compare(0, sizeof PrinterPortName - 1, PrinterPortName) == 0) {
                return static_cast<int>(i);
            }
        }
        throw std::runtime_error(std::string("no item for ") + PrinterPortName);
    }

    // The printer has stalled: the window must still answer, and the operator stops it.
    void StopTheStall(const InProcessApp& app, Outcome& outcome) {
        guitest::waitFor("the printer to stall", [&] {
            return simctl::readFile(sim_.Files().log).find("# stalled data send") !=
                   std::string::npos;
        });
        outcome.answeredWhileStalled = app.Main().answers(AnswerLimitMs);
        app.Main().post(WM_SYSCOMMAND, SC_CLOSE);
        const Window question = app.WaitForBox();
        app.Press(question, IDYES);
    }

    // The box, and whether the window answers while it shows.
    static void Observe(const InProcessApp& app, const Window& box, Outcome& outcome) {
        outcome.text = guitest::messageText(box);
        outcome.caption = box.caption();
        outcome.icon = IconOf(box);
        outcome.ownedByMain = box.owner() == app.Main();
        outcome.answered = app.Main().answers(AnswerLimitMs);
    }

    // In this process the box's icon handle compares with the shared system icons directly.
    static IconKind IconOf(const Window& box) {
        const Window control = guitest::iconControl(box);
        if (!control || !control.visible()) {
            return IconKind::None;
        }
        const auto icon = reinterpret_cast<HICON>(control.send(STM_GETICON));
        const struct {
            LPCSTR id;
            IconKind kind;
        } system[] = {{IDI_HAND, IconKind::Error},
                      {IDI_EXCLAMATION, IconKind::Warning},
                      {IDI_ASTERISK, IconKind::Information},
                      {IDI_QUESTION, IconKind::Question}};
        for (const auto& each : system) {
            if (icon == ::LoadIconA(nullptr, each.id)) {
                return each.kind;
            }
        }
        return IconKind::Other;
    }

    // Update and Verify are enabled again once the box has gone.
    static bool WaitUntilIdle(const InProcessApp& app) {
        try {
            return guitest::waitFor("the window to go idle", [&] {
                return app.Control(IDC_UPDATE).enabled() && app.Control(IDC_VERIFY).enabled();
            });
        } catch (const guitest::WaitTimeout&) {
            return false;
        }
    }

    // Every check of one run; the failures name the run.
    bool Check(const SweepRun& run, const Outcome& outcome) {
        bool ok = true;
        const Box box = BoxOf(run.operation, run.ending);
        const auto expect = [&](bool condition, const std::string& what) {
            if (!condition) {
                ADD_FAILURE() << run.Label() << ": " << what;
                ok = false;
            }
        };
        expect(outcome.text == box.text, "box text \"" + outcome.text + "\"");
        expect(outcome.caption == box.caption, "box caption \"" + outcome.caption + "\"");
        expect(outcome.icon == box.icon, "box icon");
        expect(outcome.ownedByMain, "box not owned by the main window");
        expect(outcome.answered, "the window did not answer while the box showed");
        expect(outcome.answeredWhileStalled, "the window did not answer during the stall");
        expect(outcome.idleAfterwards, "the window stayed busy after the box");
        if (run.fault == Fault::ResumeFails) {
            expect(Win32Faults::Count(Call::TerminateThread) == 1,
                   "the worker that never ran was not ended");
        }
        const std::string port = PortState(outcome, run.ending == Ending::Done);
        expect(port.empty(), port);
        if (run.operation == Operation::Update) {
            expect(data_.compare(0, outcome.capture.size(), outcome.capture) == 0 &&
                       outcome.capture.size() <= data_.size(),
                   "the printer took bytes other than the data file's, in order");
            expect(run.ending != Ending::Done || outcome.capture == data_,
                   "the printer did not take the whole data file");
        }
        return ok;
    }

    // Closed after success. After a failure the port opened last stays open: the only close
    // that may follow is the one each Open makes first. Empty when that holds, else what went
    // wrong.
    static std::string PortState(const Outcome& outcome, bool success) {
        const std::vector<simctl::LogRecord>& calls = outcome.calls;
        std::size_t lastOpen = calls.size();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name == lvx::PortOpenName &&
                (i == 0 || calls[i - 1].name != lvx::PortCloseName)) {
                return "an open without a close right before it";
            }
            if (calls[i].name == lvx::PortOpenName && calls[i].result == PortOk) {
                lastOpen = i;
            }
        }
        if (success) {
            return !calls.empty() && calls.back().name == lvx::PortCloseName
                       ? std::string()
                       : "success without a close at the end";
        }
        for (std::size_t i = lastOpen; i < calls.size(); ++i) {
            if (calls[i].name == lvx::PortCloseName &&
                (i + 1 == calls.size() || calls[i + 1].name != lvx::PortOpenName)) {
                return "closed after a failure";
            }
        }
        return {};
    }

    unittest::SimFolder sim_;
    std::string data_;
    std::string dataPath_;
    DiagCommands::Pause previousPause_ = nullptr;
    int serial_ = 0;
};

// Wine reads whether a program's windows are managed when the program starts; without a window
// manager a managed box takes 2 s to hide. So a run of its own sets it before the sweep runs.
TEST(SweepWindows, AreUnmanaged) {
    guitest::useUnmanagedWindows("fault_sweep.exe");
}

// Each group (operation and selection) is recorded first, then swept on the same running tool.
// One line at the end gives the count.
TEST_F(FaultSweep, EveryFaultPointEndsAsTheContractSays) {
    const Win32Faults standIns;
    std::size_t points = 0;
    std::size_t runs = 0;
    std::size_t survived = 0;
    for (const Operation operation : {Operation::Update, Operation::Verify}) {
        for (const Selection selection : {Selection::Auto, Selection::Named}) {
            const std::unique_ptr<InProcessApp> app = StartApp(selection);
            SweepRun good;
            good.operation = operation;
            good.selection = selection;
            good.call = "none";
            const Outcome recorded = Execute(*app, good);
            ASSERT_TRUE(Check(good, recorded)) << "the good run itself";
            const uint32_t reads = Win32Faults::Count(Call::ReadFile);
            const uint32_t allocations = Win32Faults::Count(Call::NothrowNew);
            const std::vector<Ending> allocationEndings = AllocationsOf(operation, selection);
            ASSERT_EQ(allocations, allocationEndings.size()) << good.Label();
            std::vector<SweepRun> group;
            for (std::size_t i = 0; i < recorded.calls.size(); ++i, ++points) {
                for (const Fault fault : FaultsOf(recorded.calls[i].name)) {
                    SweepRun run = good;
                    run.fault = fault;
                    run.call = recorded.calls[i].name;
                    run.nth = OrdinalOf(recorded.calls, i);
                    run.ending = ContractFor(operation, recorded.calls, i, fault);
                    group.push_back(run);
                }
            }
            const auto addWin32 = [&](Fault fault, const char* call, uint32_t nth, Ending ending) {
                SweepRun run = good;
                run.fault = fault;
                run.call = call;
                run.nth = nth;
                run.ending = ending;
                group.push_back(run);
                ++points;
            };
            for (uint32_t nth = 1; nth <= allocations; ++nth) {
                addWin32(Fault::NoMemory, "operator new(nothrow)", nth, allocationEndings[nth - 1]);
            }
            if (operation == Operation::Update) {
                ASSERT_EQ(reads, (DataSize + UpdatePieceSize - 1) / UpdatePieceSize);
                for (uint32_t nth = 1; nth <= reads; ++nth) {
                    addWin32(Fault::ReadFails, "ReadFile", nth, Ending::Unreadable);
                }
                addWin32(Fault::ThreadStartFails, "_beginthreadex", 1, Ending::NoThread);
                addWin32(Fault::ResumeFails, "ResumeThread", 1, Ending::NoThread);
                addWin32(Fault::PriorityFails, "SetThreadPriority", 1, Ending::Done);
            }
            for (const SweepRun& run : group) {
                survived += Check(run, Execute(*app, run)) ? 1 : 0;
            }
            runs += group.size();
        }
    }
    if (survived == runs) {
        std::printf("fault sweep: %zu fault points x classes = %zu runs, all survived\n", points,
                    runs);
    } else {
        std::printf("fault sweep: %zu fault points x classes = %zu runs, %zu failed\n", points,
                    runs, runs - survived);
    }
    std::fflush(stdout);
    EXPECT_EQ(survived, runs);
}
