// The leak soak: one real Corvane.exe runs Update (a small data file, an instant printer) and
// Verify, each closing its result box, cycle after cycle. After a warm-up the program's kernel
// handles must not grow at all and its working set by at most 1 MB. The handle count comes from
// the system handle list (GetProcessHandleCount answers 0 for another process under Wine 8);
// GDI and USER objects are read too, and where they read 0 the soak says they were not checked.
#include "ProcessFigures.h"
#include "AppTest.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr int WarmUpCycles = 3;
constexpr int MeasuredCycles = 30;
constexpr long long WorkingSetAllowance = 1024 * 1024;
constexpr std::size_t DataSize = 5000;
// As long as any other wait: a window that does not answer within it is hung.
constexpr UINT AnswerLimitMs = 30000;
// Verify waits two seconds inside the program after ENTER LANGUAGE.
constexpr guitest::Millis VerifyLimit{60000};

// One reading of the program.
struct Sample {
    std::size_t handles = 0;
    std::size_t workingSet = 0;
    DWORD gdi = 0;
    DWORD user = 0;
};

} // namespace

class LeakSoak : public AppTest {
protected:
    // Clicks a button, waits for the result box, checks it is the completion box and closes
    // it, then waits until the window is idle and has answered a message: the operation's
    // handler has returned and what it held has gone.
    void Cycle(int button, guitest::Millis limit) {
        control(button).clickByMessage();
        const guitest::Window box = waitForBox(limit);
        EXPECT_EQ(box.caption(), "Completion") << guitest::messageText(box);
        press(box, IDOK);
        waitUntilIdle();
        ASSERT_TRUE(main_.answers(AnswerLimitMs));
    }

    static Sample Take(const ProcessFigures& figures) {
        return {figures.KernelHandles(), figures.WorkingSet(), figures.GdiObjects(),
                figures.UserObjects()};
    }

    static void Print(const char* label, const Sample& sample) {
        std::printf("%-10s handles %4zu  working set %8.1f KB  GDI %lu  USER %lu\n", label,
                    sample.handles, sample.workingSet / 1024.0,
                    static_cast<unsigned long>(sample.gdi),
                    static_cast<unsigned long>(sample.user));
        std::fflush(stdout);
    }
};

TEST_F(LeakSoak, HandlesAndWorkingSetStayFlatOverUpdateAndVerifyCycles) {
    Setup setup;
    setup.scenario = instantPrinter();
    setup.data = simctl::testData(DataSize, 30);
    start(setup);
    const ProcessFigures figures(app().id());

    // The list must see handles at all, and see one more when one is made: a method that read 0
    // or missed new handles would prove nothing.
    const std::size_t own = ProcessFigures::KernelHandles(::GetCurrentProcessId());
    const HANDLE extra = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(extra, nullptr);
    const std::size_t ownWithExtra = ProcessFigures::KernelHandles(::GetCurrentProcessId());
    ::CloseHandle(extra);
    ASSERT_GT(own, 0u);
    ASSERT_EQ(ownWithExtra, own + 1) << "the system handle list does not follow a new handle";
    ASSERT_GT(figures.KernelHandles(), 0u);
    ASSERT_GT(figures.WorkingSet(), 0u);

    Sample baseline;
    Sample peak;
    for (int cycle = 1; cycle <= WarmUpCycles + MeasuredCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        Cycle(IDC_UPDATE, guitest::DefaultTimeout);
        Cycle(IDC_VERIFY, VerifyLimit);
        if (HasFatalFailure()) {
            return;
        }
        const Sample now = Take(figures);
        Print(("cycle " + std::to_string(cycle)).c_str(), now);
        if (cycle == WarmUpCycles) {
            baseline = now;
            peak = now;
        } else if (cycle > WarmUpCycles) {
            peak.handles = std::max(peak.handles, now.handles);
            peak.workingSet = std::max(peak.workingSet, now.workingSet);
        }
    }
    const Sample last = Take(figures);
    const long long handleGrowth =
        static_cast<long long>(peak.handles) - static_cast<long long>(baseline.handles);
    const long long workingSetGrowth =
        static_cast<long long>(peak.workingSet) - static_cast<long long>(baseline.workingSet);
    std::printf("leak soak: %d cycles after %d of warm-up; kernel handles %zu -> %zu (peak growth "
                "%lld); working set %.1f KB -> %.1f KB (peak growth %.1f KB, allowed 1024 KB)\n",
                MeasuredCycles, WarmUpCycles, baseline.handles, last.handles, handleGrowth,
                baseline.workingSet / 1024.0, last.workingSet / 1024.0,
                static_cast<double>(workingSetGrowth) / 1024.0);
    std::printf("leak soak: GetProcessHandleCount reads %lu for the program (not used)\n",
                static_cast<unsigned long>(figures.ReportedHandleCount()));
    if (last.gdi == 0 && last.user == 0) {
        std::printf("leak soak: GDI and USER objects read 0 from outside: NOT checked\n");
    } else {
        std::printf("leak soak: GDI objects %lu -> %lu, USER objects %lu -> %lu\n",
                    static_cast<unsigned long>(baseline.gdi), static_cast<unsigned long>(last.gdi),
                    static_cast<unsigned long>(baseline.user),
                    static_cast<unsigned long>(last.user));
        EXPECT_LE(last.gdi, baseline.gdi);
        EXPECT_LE(last.user, baseline.user);
    }
    std::fflush(stdout);
    EXPECT_EQ(handleGrowth, 0);
    EXPECT_LE(workingSetGrowth, WorkingSetAllowance);
}
