// The update worker against the simulated printer, in-process: the bytes the printer took, the
// progress bar's messages, the library calls and the result of every kind of run.
#include "RecordingBar.h"
#include "SimFolder.h"

#include "app/UpdaterApp.h"
#include "fw/BarProgress.h"
#include "fw/File.h"
#include "fw/Text.h"
#include "fw/WorkerThread.h"
#include "fw/MessagePump.h"
#include "update/UpdateJob.h"
#include "update/UpdateWorker.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using simctl::lpt;

// The progress messages of a run over size bytes that nothing interrupts: the range, the start
// and the step, a position after each full piece, then the final position.
std::vector<BarMessage> WholeRunBar(std::size_t size) {
    const auto steps = static_cast<WPARAM>(size / 1000);
    std::vector<BarMessage> bar = {
        {PBM_SETRANGE32, 0, static_cast<LPARAM>(steps)}, {PBM_SETPOS, 0, 0}, {PBM_SETSTEP, 1, 0}};
    for (WPARAM position = 1; position <= steps; ++position) {
        bar.push_back({PBM_SETPOS, position, 0});
    }
    bar.push_back({PBM_SETPOS, steps, 0});
    return bar;
}

// The count offered by every SendByLvx, in order.
std::vector<long long> SendCounts(const std::vector<simctl::LogRecord>& calls) {
    std::vector<long long> counts;
    for (const simctl::LogRecord& call : calls) {
        if (call.name == "SendByLvx") {
            counts.push_back(call.number("count"));
        }
    }
    return counts;
}

// Calls of one entry point.
int CountOf(const std::vector<simctl::LogRecord>& calls, const char* name) {
    int count = 0;
    for (const simctl::LogRecord& call : calls) {
        count += call.name == name ? 1 : 0;
    }
    return count;
}

// The entry points called after the last PortOpenByLvx.
std::vector<std::string> NamesAfterOpen(const std::vector<simctl::LogRecord>& calls) {
    std::vector<std::string> names;
    for (const simctl::LogRecord& call : calls) {
        if (call.name == "PortOpenByLvx") {
            names.clear();
        } else {
            names.push_back(call.name);
        }
    }
    return names;
}

// True when the last call after the open closed the port.
bool ClosedAtTheEnd(const std::vector<simctl::LogRecord>& calls) {
    const std::vector<std::string> names = NamesAfterOpen(calls);
    return !names.empty() && names.back() == "PortCloseByLvx";
}

// Runs the bar's messages and the worker's end through this thread's queue, for at most limit.
bool PumpUntilEnded(HANDLE thread, std::chrono::milliseconds limit) {
    fw::HeldQuit quit;
    return fw::WaitPumping(thread, static_cast<DWORD>(limit.count()), nullptr, quit) ==
           fw::WaitResult::Signalled;
}

} // namespace

// A simulator folder, the application (which loads the simulated library) and a job whose
// progress bar is a recording window; the data file lies in the simulator folder.
class WorkerTest : public ::testing::Test {
protected:
    // A test path as the worker takes it.
    static std::wstring Wide(const std::string& path) {
        std::wstring wide;
        EXPECT_TRUE(fw::WideFromAnsi(path, wide, "test"));
        return wide;
    }

    // The application after the simulator's variables; the job's bar is the recorder.
    void SetUp() override {
        app_ = std::make_unique<UpdaterApp>();
        barWindow_.Attach(bar_.Handle());
        job_.m_progress = &barSink_;
        job_.m_portId = lpt(1);
        job_.m_updateFilePath = Wide(dataPath_);
        job_.m_cancelRequested.store(0);
    }

    // A printer on LPT1 with no delays, for rules to be added to.
    static simctl::Scenario InstantPrinter() {
        simctl::Scenario scenario;
        scenario.printer(lpt(1)).rate(0);
        return scenario;
    }

    // Writes the scenario and size bytes of data, then runs the worker on this thread.
    int32_t Run(const simctl::Scenario& scenario, std::size_t size) {
        sim_.Use(scenario);
        data_ = simctl::testData(size);
        EXPECT_TRUE(simctl::writeFile(dataPath_, data_));
        return UpdateWorker(job_, app_->Ports());
    }

    // What the printer took.
    std::string Capture() const { return simctl::readFile(sim_.Files().capture); }
    // True when nothing holds the data file open any more.
    bool DataFileReleased() const {
        fw::File file;
        return file.OpenReadExclusive(Wide(dataPath_));
    }

    unittest::SimFolder sim_;
    std::string dataPath_ = sim_.Path() + "update.dcc";
    std::string data_;
    std::unique_ptr<UpdaterApp> app_;
    UpdateJob job_;
    RecordingBar bar_;
    fw::ProgressBar barWindow_;
    fw::BarProgress barSink_{barWindow_};
};

// Sizes around the piece boundaries.
class WholeFileTest : public WorkerTest, public ::testing::WithParamInterface<std::size_t> {};

// Every byte arrives once and in order, in pieces of 1000 and one short last piece; the bar
// goes through every thousand and ends at size / 1000; the port is closed last.
TEST_P(WholeFileTest, ArrivesByteExactWithAPositionPerFullPiece) {
    const std::size_t size = GetParam();
    EXPECT_EQ(Run(InstantPrinter(), size), 1);
    EXPECT_EQ(Capture(), data_);
    EXPECT_EQ(bar_.Messages(), WholeRunBar(size));
    const auto calls = sim_.Calls();
    std::vector<long long> pieces(size / 1000, 1000);
    if (size % 1000 != 0) {
        pieces.push_back(static_cast<long long>(size % 1000));
    }
    EXPECT_EQ(SendCounts(calls), pieces);
    EXPECT_EQ(CountOf(calls, "GetPreviousSentDataSizeByLvx"), static_cast<int>(pieces.size()));
    EXPECT_EQ(CountOf(calls, "PortOpenByLvx"), 1);
    EXPECT_TRUE(ClosedAtTheEnd(calls));
    EXPECT_TRUE(DataFileReleased());
}

INSTANTIATE_TEST_SUITE_P(Sizes, WholeFileTest, ::testing::Values(999u, 1000u, 3000u, 123456u));

// Fault: an empty data file ended as a completed update. It is a failure of its own, before
// anything is sent, with the file released and the port left open.
TEST_F(WorkerTest, EmptyDataFileSendsNothingAndIsAFailure) {
    EXPECT_EQ(Run(InstantPrinter(), 0), UpdateFileEmpty);
    const auto calls = sim_.Calls();
    EXPECT_EQ(CountOf(calls, "SendByLvx"), 0);
    EXPECT_FALSE(ClosedAtTheEnd(calls));
    EXPECT_TRUE(DataFileReleased());
}

// 400 of the first piece, then nothing, then the rest: each new attempt offers only the bytes
// not yet taken, and they are the right ones.
TEST_F(WorkerTest, PartialSendsOfferOnlyTheUnsentTail) {
    simctl::Scenario scenario = InstantPrinter();
    scenario.printer(lpt(1)).partial(400, 1).stall(1, 2);
    EXPECT_EQ(Run(scenario, 3000), 1);
    EXPECT_EQ(Capture(), data_);
    EXPECT_EQ(SendCounts(sim_.Calls()), (std::vector<long long>{1000, 600, 600, 1000, 1000}));
    EXPECT_EQ(bar_.Messages(), WholeRunBar(3000));
}

// Partial sends all through a larger file.
TEST_F(WorkerTest, PartialSendsOnEveryCallStillDeliverTheWholeFile) {
    simctl::Scenario scenario = InstantPrinter();
    scenario.printer(lpt(1)).partial(400);
    EXPECT_EQ(Run(scenario, 123456), 1);
    EXPECT_EQ(Capture(), data_);
    EXPECT_EQ(bar_.Messages(), WholeRunBar(123456));
    const std::vector<long long> counts = SendCounts(sim_.Calls());
    ASSERT_GE(counts.size(), 3u);
    EXPECT_EQ(std::vector<long long>(counts.begin(), counts.begin() + 3),
              (std::vector<long long>{1000, 600, 200}));
}

// The library took the whole piece but called it incomplete: the next attempt offers nothing.
TEST_F(WorkerTest, SentSizeEqualToThePieceIsFollowedByAZeroLengthSend) {
    simctl::Scenario scenario = InstantPrinter();
    scenario.printer(lpt(1)).incomplete(2);
    EXPECT_EQ(Run(scenario, 3000), 1);
    EXPECT_EQ(Capture(), data_);
    EXPECT_EQ(SendCounts(sim_.Calls()), (std::vector<long long>{1000, 1000, 0, 1000}));
    EXPECT_EQ(bar_.Messages(), WholeRunBar(3000));
}

// Anything but an incomplete send ends the run at once, with the result widened with its sign:
// no retry, no further position, and the port stays open.
TEST_F(WorkerTest, OtherSendFailuresEndTheRunWithTheirResult) {
    struct Case {
        uint16_t code;
        int16_t detail;
        int32_t result;
    };
    const Case cases[] = {{0x1000, -5, 4096}, {0x0103, -81, 259}, {0xB000, 0, -20480}};
    for (const Case& each : cases) {
        SCOPED_TRACE("library result " + std::to_string(each.code));
        simctl::removeFile(sim_.Files().log);
        simctl::removeFile(sim_.Files().capture);
        RecordingBar bar;
        barWindow_.Attach(bar.Handle());
        simctl::Scenario scenario = InstantPrinter();
        scenario.printer(lpt(1)).hardFail(2500, each.code, each.detail);
        EXPECT_EQ(Run(scenario, 5000), each.result);
        EXPECT_EQ(Capture(), data_.substr(0, 2500));
        EXPECT_EQ(SendCounts(sim_.Calls()), (std::vector<long long>{1000, 1000, 1000}));
        EXPECT_EQ(bar.Positions(), (std::vector<int>{0, 1, 2}));
        EXPECT_FALSE(ClosedAtTheEnd(sim_.Calls()));
        EXPECT_TRUE(DataFileReleased());
    }
}

// A port that does not open ends the run before anything else happens.
TEST_F(WorkerTest, PortThatDoesNotOpenEndsTheRunWithItsResult) {
    job_.m_portId = lpt(2);
    EXPECT_EQ(Run(InstantPrinter(), 3000), static_cast<int32_t>(simctl::NoPrinterResult));
    EXPECT_TRUE(bar_.Messages().empty());
    EXPECT_EQ(CountOf(sim_.Calls(), "SendByLvx"), 0);
}

// A missing data file ends the run as not found, one that another handle holds open as in use;
// both before the bar is touched, with the port left open.
TEST_F(WorkerTest, DataFileThatDoesNotOpenEndsWithFileNotFound) {
    sim_.Use(InstantPrinter());
    EXPECT_EQ(UpdateWorker(job_, app_->Ports()), UpdateFileNotFound);
    ASSERT_TRUE(simctl::writeFile(dataPath_, simctl::testData(3000)));
    const HANDLE held = ::CreateFileA(dataPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(UpdateWorker(job_, app_->Ports()), UpdateFileInUse);
    ::CloseHandle(held);
    EXPECT_TRUE(bar_.Messages().empty());
    const auto calls = sim_.Calls();
    EXPECT_EQ(CountOf(calls, "SendByLvx"), 0);
    EXPECT_FALSE(ClosedAtTheEnd(calls));
}

// Stopped while the printer refuses every byte: the worker ends before its next attempt with
// -12288, leaving the port open and the file released.
TEST_F(WorkerTest, CancelWhileRetryingStopsBeforeTheNextAttempt) {
    simctl::Scenario scenario = InstantPrinter();
    scenario.printer(lpt(1)).latency(2).stall(0, 2);
    sim_.Use(scenario);
    ASSERT_TRUE(simctl::writeFile(dataPath_, simctl::testData(3000)));
    const auto worker = fw::WorkerThread::Start(&UpdateWorkerThread, &job_, 0, 0, 0);
    ASSERT_TRUE(worker);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::size_t sendsAtCancel = 0;
    while (sendsAtCancel == 0 && std::chrono::steady_clock::now() < end) {
        if (PumpUntilEnded(worker->Handle(), std::chrono::milliseconds(50))) {
            break;
        }
        if (SendCounts(sim_.Calls()).size() >= 5) {
            // The flag first, then the count: an attempt that starts after the count is read
            // must have checked the flag before it was set, so at most one more can come.
            job_.m_cancelRequested.store(1);
            sendsAtCancel = SendCounts(sim_.Calls()).size();
        }
    }
    ASSERT_GT(sendsAtCancel, 0u) << "the worker never retried";
    ASSERT_TRUE(PumpUntilEnded(worker->Handle(), std::chrono::seconds(20)));
    DWORD code = 0;
    ASSERT_TRUE(worker->ExitCode(code));
    EXPECT_EQ(static_cast<int32_t>(code), UpdateCancelled);
    const auto calls = sim_.Calls();
    // At most the attempt already under way when the flag was set.
    EXPECT_LE(SendCounts(calls).size(), sendsAtCancel + 1);
    EXPECT_FALSE(ClosedAtTheEnd(calls));
    EXPECT_TRUE(DataFileReleased());
}

// Fault: a library that says it sent more than it was offered. The run ends as a failure at
// once, and no byte from outside the piece is moved or offered.
TEST_F(WorkerTest, SentSizeAboveTheOfferEndsTheRun) {
    simctl::Scenario scenario = InstantPrinter();
    scenario.printer(lpt(1)).partial(400, 1).overReport(1, 1);
    EXPECT_EQ(Run(scenario, 3000), UpdateSentSizeInvalid);
    EXPECT_EQ(SendCounts(sim_.Calls()), (std::vector<long long>{1000}));
    EXPECT_EQ(Capture(), data_.substr(0, 400));
    EXPECT_FALSE(ClosedAtTheEnd(sim_.Calls()));
    EXPECT_TRUE(DataFileReleased());
}

// Fault: the data file fails to read, at once or after two pieces (a pipe whose writer goes
// away). The run ends as a read failure of its own, never as success, after sending exactly
// what was read.
TEST_F(WorkerTest, ReadErrorEndsTheRunAsAFailure) {
    for (const std::size_t written : {std::size_t{0}, std::size_t{2000}}) {
        SCOPED_TRACE(std::to_string(written) + " bytes before the error");
        sim_.Use(InstantPrinter());
        bar_.Clear();
        const std::string pipeName = "\\\\.\\pipe\\corvane-update-" +
                                     std::to_string(::GetCurrentProcessId()) + "-" +
                                     std::to_string(written);
        const HANDLE server =
            ::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                               1, 4096, 4096, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        const std::string data = simctl::testData(written);
        // Writes once the worker has connected, waits until it is read, then goes.
        auto writer = std::async(std::launch::async, [&] {
            ::ConnectNamedPipe(server, nullptr);
            DWORD sent = 0;
            if (!data.empty()) {
                ::WriteFile(server, data.data(), static_cast<DWORD>(data.size()), &sent, nullptr);
            }
            ::FlushFileBuffers(server);
            ::CloseHandle(server);
        });
        job_.m_updateFilePath = Wide(pipeName);
        const int32_t result = UpdateWorker(job_, app_->Ports());
        ASSERT_EQ(writer.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        EXPECT_EQ(result, UpdateReadFailed);
        EXPECT_EQ(Capture(), data);
        if (written > 0) {
            EXPECT_EQ(bar_.Positions(), (std::vector<int>{0, 1, 2}));
        }
        EXPECT_FALSE(ClosedAtTheEnd(sim_.Calls()));
    }
}

// Fault: from 32,768,000 bytes the thousands no longer fit a signed 16-bit value. The range is
// set whole (PBM_SETRANGE32) and the bar ends at the true count, never wrapped or negative.
TEST_F(WorkerTest, LargeFilesKeepTheirWholeRangeAndFinalPosition) {
    constexpr std::size_t size = 32768000 + 456;
    EXPECT_EQ(Run(InstantPrinter(), size), 1);
    const std::vector<BarMessage>& bar = bar_.Messages();
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.front(), (BarMessage{PBM_SETRANGE32, 0, 32768}));
    EXPECT_EQ(bar.back(), (BarMessage{PBM_SETPOS, 32768, 0}));
    EXPECT_EQ(bar, WholeRunBar(size));
    EXPECT_EQ(Capture().size(), size);
    EXPECT_TRUE(Capture() == data_);
}

// Fault: the system must not sleep during a transfer. Windows is told the system is required
// (continuously) while the worker runs, and the requirement is gone when it has ended.
TEST_F(WorkerTest, SystemIsRequiredWhileTheWorkerRuns) {
    EXECUTION_STATE during = 0;
    bar_.OnMessage([&](const BarMessage& message) {
        if (message.message == PBM_SETPOS && message.wParam == 1) {
            // Without ES_CONTINUOUS this only reads the state back.
            during = ::SetThreadExecutionState(0);
        }
    });
    EXPECT_EQ(Run(InstantPrinter(), 3000), 1);
    const EXECUTION_STATE after = ::SetThreadExecutionState(0);
    EXPECT_EQ(during & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_EQ(after & ES_SYSTEM_REQUIRED, 0u);
}
