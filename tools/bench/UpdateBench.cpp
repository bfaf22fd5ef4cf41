// Figures of the Update transfer, printed, never judged:
// - throughput: 4 MiB through the simulated printer with no delays, by the real Corvane.exe
//   (click on Update to the completion box) and by a minimal loop in this process that calls
//   SendByLvx directly with 1000-byte pieces; the rates and their ratio. Two more figures show
//   where the tool's time goes: its worker alone in this process (no window to move), and the
//   time a window takes to move a bar like the tool's that many times. The mandated floor is
//   what the contract leaves: the worker's own loop with its synchronous bar message per piece,
//   each answered by a window thread whose bar never paints; the tool is measured against it;
// - memory: the tool's peak working set over an Update of a 33,000,000-byte data file and of a
//   120,000-byte one, each in a fresh process;
// - Verify: click to box, less the printer's 2000 ms pause after entering its diagnostic
//   language;
// - waiting cost: processor time of the Corvane.exe process while 1 MiB goes at 200 KB/s, as a
//   share of the wall time, against a program that only moves the same bar at the same pace.
// Each is measured with the simulator's log and capture, and again with both sent to NUL.
// "update_bench throughput", "update_bench waiting" or "update_bench memory" prints one part
// (Verify comes with the throughput).
#include "AppProcess.h"
#include "Dialogs.h"
#include "Driver.h"
#include "TestFolder.h"
#include "Window.h"
#include "WineSettings.h"

#include "SimControl.h"

#include "app/UpdaterApp.h"
#include "fw/BarProgress.h"
#include "fw/HeldQuit.h"
#include "fw/MessagePump.h"
#include "fw/Text.h"
#include "portlib/LorvexApi.h"
#include "res/resource.h"
#include "update/UpdateJob.h"
#include "update/UpdateWorker.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using guitest::AppProcess;
using guitest::Environment;
using guitest::Window;

constexpr char MainCaption[] = "Corvane (NVM Ver.1.01.06)";
constexpr char DataFileName[] = "NV(01_01_06)_update.dcc";
constexpr std::size_t ThroughputBytes = 4u << 20;
constexpr std::size_t WaitingBytes = 1u << 20;
constexpr uint32_t SlowRate = 200000;
constexpr uint32_t PieceSize = 1000;
// Rounds of each throughput figure; the best counts (the least disturbed by the machine).
constexpr int Rounds = 7;
constexpr guitest::Millis TransferLimit{300000};
constexpr std::size_t LargeFileBytes = 33000000;
constexpr std::size_t SmallFileBytes = 120000;
// Verify's pause after entering the diagnostic language.
constexpr double VerifyPauseMs = 2000;

// Seconds between two instants.
double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Kernel and user time of a process so far, in seconds.
double CpuSeconds(HANDLE process) {
    FILETIME created{}, ended{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        return 0;
    }
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// MB/s of size bytes in seconds.
double Rate(std::size_t size, double seconds) {
    return static_cast<double>(size) / 1e6 / seconds;
}

// Where the simulator writes: its files, or NUL.
struct SimOutput {
    const char* name;
    bool quiet;
};

// The simulator's variables for a folder: its scenario, and the log and capture there or NUL.
Environment SimEnvironment(const guitest::TestFolder& folder, const SimOutput& output) {
    const simctl::SimFiles files = simctl::SimFiles::in(folder.path());
    return {{"LORVEX_SIM_SCENARIO", files.scenario},
            {"LORVEX_SIM_LOG", output.quiet ? "NUL" : files.log},
            {"LORVEX_SIM_CAPTURE", output.quiet ? "NUL" : files.capture},
            {"LORVEX_SIM_STATE", files.state}};
}

// Sets the variables in this process, for libraries loaded from now on.
void Export(const Environment& environment) {
    for (const auto& [name, value] : environment) {
        ::SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
}

// A folder holding the program, the library, the bar reference, a scenario and a data file.
void Prepare(const guitest::TestFolder& folder, uint32_t rate, std::size_t size) {
    const std::string bin = guitest::Driver::binaryFolder();
    for (const char* name : {"Corvane.exe", "Lorvex.dll", "BarReference.exe"}) {
        folder.copyIn(bin + "\\" + name, name);
    }
    simctl::Scenario scenario;
    scenario.printer(simctl::lpt(1)).rate(rate);
    folder.writeFile(simctl::ScenarioFileName, scenario.text());
    folder.writeFile(DataFileName, simctl::testData(size));
}

// Seconds of the direct loop over the data file: open, 1000-byte sends, close, with the
// folder's library loaded afresh.
double DirectLoopSeconds(const guitest::TestFolder& folder) {
    const std::string data = folder.readFile(DataFileName);
    const HMODULE library = ::LoadLibraryA(folder.file("Lorvex.dll").c_str());
    if (library == nullptr) {
        throw std::runtime_error("cannot load the simulated library");
    }
    const auto find = [&](const char* name) {
        return reinterpret_cast<void*>(::GetProcAddress(library, name));
    };
    const auto open = reinterpret_cast<lvx::PortOpenFn>(find(lvx::PortOpenName));
    const auto send = reinterpret_cast<lvx::SendFn>(find(lvx::SendName));
    const auto close = reinterpret_cast<lvx::PortCloseFn>(find(lvx::PortCloseName));
    open(simctl::lpt(1));
    const auto start = Clock::now();
    for (std::size_t offset = 0; offset < data.size(); offset += PieceSize) {
        uint8_t flag = 0;
        const auto count =
            static_cast<uint32_t>(std::min<std::size_t>(PieceSize, data.size() - offset));
        if (send(data.data() + offset, count, &flag) != 1) {
            throw std::runtime_error("a send of the direct loop failed");
        }
    }
    const double seconds = Seconds(start, Clock::now());
    close();
    ::FreeLibrary(library);
    return seconds;
}

// The worker's port and the folder's data file.
void Aim(UpdateJob& job, const guitest::TestFolder& folder) {
    job.m_portId = simctl::lpt(1);
    if (!fw::WideFromAnsi(folder.file(DataFileName), job.m_updateFilePath, "bench")) {
        throw std::runtime_error("the data file's path does not convert");
    }
}

// Progress that goes nowhere.
class NoProgress final : public fw::ProgressSink {
public:
    void SetRange(WORD, WORD) override {}
    void SetRange32(int, int) override {}
    void SetPos(int) override {}
    void SetStep(int) override {}
    void StepIt() override {}
};

// Seconds of the tool's worker over the data file in this process, its bar messages going
// nowhere. The application loads the build's own library.
double WorkerAloneSeconds(const guitest::TestFolder& folder) {
    UpdaterApp app;
    UpdateJob job;
    NoProgress nowhere;
    job.m_progress = &nowhere;
    Aim(job, folder);
    const auto start = Clock::now();
    if (UpdateWorker(job, app.Ports()) != 1) {
        throw std::runtime_error("the worker alone failed");
    }
    return Seconds(start, Clock::now());
}

// A bar of this thread in a shown window, as the tool's is, but with its drawing turned off:
// its messages are answered and it never paints. The window is on screen because the tool's
// is: under Wine a thread with a window on the display also reads the display's events each
// time it wakes, and that cost comes with any window, painted or not.
class UnpaintedBar {
public:
    UnpaintedBar() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        frame_ = ::CreateWindowExA(0, "STATIC", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0,
                                   0, 320, 200, nullptr, nullptr, instance, nullptr);
        bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10,
                                 140, 160, 23, frame_, nullptr, instance, nullptr);
        if (frame_ == nullptr || bar_ == nullptr) {
            throw std::runtime_error("cannot make the unpainted bar");
        }
        ::SendMessageA(bar_, WM_SETREDRAW, FALSE, 0);
        ::UpdateWindow(frame_);
        fw::HeldQuit quit;
        fw::PumpMessages(nullptr, quit);
    }
    ~UnpaintedBar() { ::DestroyWindow(frame_); }
    UnpaintedBar(const UnpaintedBar&) = delete;
    UnpaintedBar& operator=(const UnpaintedBar&) = delete;

    HWND Handle() const { return bar_; }

private:
    HWND frame_ = nullptr;
    HWND bar_ = nullptr;
};

// The worker's run on a thread of its own.
struct FloorRun {
    UpdateJob* job = nullptr;
    PortLibrary* ports = nullptr;
    int32_t result = 0;
};

DWORD WINAPI FloorWorker(void* argument) {
    FloorRun& run = *static_cast<FloorRun*>(argument);
    run.result = UpdateWorker(*run.job, *run.ports);
    return 0;
}

// Seconds of the mandated floor: the tool's worker over the data file on a thread of its own,
// each of its bar messages sent synchronously to a bar of this thread that does not paint,
// while this thread waits and pumps as the tool's window thread does.
double FloorSeconds(const guitest::TestFolder& folder) {
    UpdaterApp app;
    UpdateJob job;
    Aim(job, folder);
    const UnpaintedBar bar;
    fw::ProgressBar barWindow;
    barWindow.Attach(bar.Handle());
    fw::BarProgress barSink(barWindow);
    job.m_progress = &barSink;
    FloorRun run{&job, &app.Ports(), 0};
    const auto start = Clock::now();
    const HANDLE thread = ::CreateThread(nullptr, 0, &FloorWorker, &run, 0, nullptr);
    if (thread == nullptr) {
        throw std::runtime_error("cannot start the floor's worker");
    }
    fw::HeldQuit quit;
    const fw::WaitResult waited = fw::WaitPumping(thread, INFINITE, nullptr, quit);
    const double seconds = Seconds(start, Clock::now());
    ::CloseHandle(thread);
    if (waited != fw::WaitResult::Signalled || run.result != 1) {
        throw std::runtime_error("the floor's worker failed");
    }
    return seconds;
}

// The program's box over its main window, looked for every 10 ms: each look asks the Wine
// server about every window of the program, and looking more often would slow the very
// transfer it times (its bar messages go through the same server); the figure may be up to
// one look late.
Window WaitForBox(const AppProcess& app, const Window& main, Clock::time_point& seen) {
    const auto end = Clock::now() + TransferLimit;
    while (Clock::now() < end) {
        for (const Window& window : app.visibleWindows("#32770")) {
            if (window != main) {
                seen = Clock::now();
                return window;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("no box after the Update click");
}

// Wall and processor seconds of one measured span.
struct Measured {
    double wall = 0;
    double cpu = 0;
};

// The program in the folder, running, with its main window and a handle for its times.
class Started {
public:
    // Starts the program and waits for its main window.
    Started(const guitest::TestFolder& folder, const Environment& environment)
        : app_(folder.file("Corvane.exe"), folder.path(), environment),
          main_(app_.waitForWindow("#32770", MainCaption)),
          process_(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE,
                                 app_.id())) {}
    // Quits the program.
    ~Started() {
        main_.child(IDCANCEL).clickByMessage();
        app_.waitForExit();
        ::CloseHandle(process_);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    // Click on Update to the completion box, then back to idle: the span's wall and processor
    // seconds of the program (its times as this process reads them).
    Measured Update() const {
        const double cpuBefore = CpuSeconds(process_);
        const auto start = Clock::now();
        main_.child(IDC_UPDATE).clickByMessage();
        Clock::time_point seen;
        const Window box = WaitForBox(app_, main_, seen);
        const Measured measured{Seconds(start, seen), CpuSeconds(process_) - cpuBefore};
        if (box.caption() != "Completion") {
            throw std::runtime_error("the Update ended with \"" + guitest::messageText(box) + "\"");
        }
        guitest::pressButton(box, IDOK);
        app_.waitForWindowGone(box);
        guitest::waitFor("Update to be enabled again",
                         [&] { return main_.child(IDC_UPDATE).enabled(); });
        return measured;
    }

    // Click on Verify to its box, then the box closed: milliseconds.
    double Verify() const {
        const auto start = Clock::now();
        main_.child(IDC_VERIFY).clickByMessage();
        Clock::time_point seen;
        const Window box = WaitForBox(app_, main_, seen);
        if (box.caption() != "Completion") {
            throw std::runtime_error("Verify ended with \"" + guitest::messageText(box) + "\"");
        }
        guitest::pressButton(box, IDOK);
        app_.waitForWindowGone(box);
        return 1000 * Seconds(start, seen);
    }

    // The program's peak working set so far, in bytes.
    std::size_t PeakWorkingSet() const {
        PROCESS_MEMORY_COUNTERS counters{};
        if (!::GetProcessMemoryInfo(process_, &counters, sizeof counters)) {
            throw std::runtime_error("GetProcessMemoryInfo failed");
        }
        return counters.PeakWorkingSetSize;
    }

private:
    AppProcess app_;
    Window main_;
    HANDLE process_;
};

// The bar reference moving its bar steps times with pauseMs between: wall seconds, and the
// processor seconds it reports for itself.
Measured BarReference(const guitest::TestFolder& folder, int steps, DWORD pauseMs) {
    AppProcess app(folder.file("BarReference.exe"), folder.path(), {},
                   std::to_string(steps) + " " + std::to_string(pauseMs));
    const Window frame = app.waitForWindow("CorvaneBarReference", "Bar reference");
    const auto start = Clock::now();
    frame.post(WM_APP);
    std::string caption;
    guitest::waitFor(
        "the bar reference to finish",
        [&] {
            caption = frame.caption();
            return caption.rfind("done ", 0) == 0;
        },
        TransferLimit);
    const Measured measured{Seconds(start, Clock::now()), std::stod(caption.substr(5)) / 1000};
    frame.post(WM_CLOSE);
    app.waitForExit();
    return measured;
}

// Throughput of the tool against the loop, and where the tool's time goes.
void Throughput(const SimOutput& output) {
    guitest::TestFolder folder("bench_throughput");
    Prepare(folder, 0, ThroughputBytes);
    const Environment environment = SimEnvironment(folder, output);
    Export(environment);
    const int pieces = static_cast<int>(ThroughputBytes / PieceSize);
    double loop = 1e9;
    double worker = 1e9;
    double floor = 1e9;
    double tool = 1e9;
    double verify = 1e9;
    // Each round measures the floor and the tool one after the other, so a busy machine weighs
    // on both alike; the spread of their ratio over the rounds is printed with the best.
    std::vector<double> ratios;
    std::string rounds;
    {
        const Started started(folder, environment);
        for (int round = 0; round < Rounds; ++round) {
            loop = std::min(loop, DirectLoopSeconds(folder));
            worker = std::min(worker, WorkerAloneSeconds(folder));
            const double floorRound = FloorSeconds(folder);
            const double toolRound = started.Update().wall;
            floor = std::min(floor, floorRound);
            tool = std::min(tool, toolRound);
            ratios.push_back(toolRound / floorRound);
            char pair[32] = {};
            std::snprintf(pair, sizeof pair, " %.2f/%.2f", floorRound, toolRound);
            rounds += pair;
        }
        for (int round = 0; round < Rounds; ++round) {
            verify = std::min(verify, started.Verify());
        }
    }
    std::sort(ratios.begin(), ratios.end());
    const Measured bar = BarReference(folder, pieces, 0);
    std::printf("Throughput, %zu bytes, no delays, simulator %s (best of %d)\n", ThroughputBytes,
                output.name, Rounds);
    std::printf("  direct SendByLvx loop     : %7.2f MB/s  (%.3f s)\n", Rate(ThroughputBytes, loop),
                loop);
    std::printf("  Corvane Update            : %7.2f MB/s  (%.3f s, click to completion box)\n",
                Rate(ThroughputBytes, tool), tool);
    std::printf("  tool / loop               : %7.3f\n", loop / tool);
    std::printf("  mandated floor            : %7.2f MB/s  (%.3f s, worker + %d unpainted bar "
                "round trips)\n",
                Rate(ThroughputBytes, floor), floor, pieces);
    std::printf("  tool / mandated floor     : %7.3f  (round by round %.3f to %.3f, median %.3f)\n",
                tool / floor, ratios.front(), ratios.back(), ratios[ratios.size() / 2]);
    std::printf("  rounds, floor/tool s      :%s\n", rounds.c_str());
    std::printf("  worker alone, no window   : %7.2f MB/s  (%.3f s)\n",
                Rate(ThroughputBytes, worker), worker);
    std::printf("  bar reference, %d moves : %.3f s\n", pieces, bar.wall);
    std::printf("  Verify beyond its pause   : %7.0f ms  (click to box, best of %d, less %.0f "
                "ms)\n",
                verify - VerifyPauseMs, Rounds, VerifyPauseMs);
}

// The tool's peak working set over one Update of a size-byte data file, in a fresh process.
std::size_t PeakWorkingSet(const SimOutput& output, std::size_t size) {
    guitest::TestFolder folder("bench_memory");
    Prepare(folder, 0, size);
    const Started started(folder, SimEnvironment(folder, output));
    started.Update();
    return started.PeakWorkingSet();
}

// The tool's memory does not grow with the data file.
void Memory(const SimOutput& output) {
    const std::size_t large = PeakWorkingSet(output, LargeFileBytes);
    const std::size_t small = PeakWorkingSet(output, SmallFileBytes);
    std::printf("Memory, simulator %s\n", output.name);
    std::printf("  peak working set          : %.1f MB for %zu bytes, %.1f MB for %zu bytes "
                "(%+.1f MB)\n",
                static_cast<double>(large) / 1e6, LargeFileBytes, static_cast<double>(small) / 1e6,
                SmallFileBytes, (static_cast<double>(large) - static_cast<double>(small)) / 1e6);
}

// Processor share of the tool at 200 KB/s, and of the bar reference at the same pace.
void WaitingCost(const SimOutput& output) {
    guitest::TestFolder folder("bench_waiting");
    Prepare(folder, SlowRate, WaitingBytes);
    Measured tool;
    {
        const Started started(folder, SimEnvironment(folder, output));
        tool = started.Update();
    }
    const Measured bar = BarReference(folder, static_cast<int>(WaitingBytes / PieceSize),
                                      PieceSize * 1000 / SlowRate);
    std::printf("Waiting cost, %zu bytes at %u B/s, simulator %s\n", WaitingBytes,
                static_cast<unsigned>(SlowRate), output.name);
    std::printf("  Corvane Update            : %6.3f s CPU / %6.3f s wall = %5.1f %%\n", tool.cpu,
                tool.wall, 100 * tool.cpu / tool.wall);
    std::printf("  bar reference, same pace  : %6.3f s CPU / %6.3f s wall = %5.1f %%\n", bar.cpu,
                bar.wall, 100 * bar.cpu / bar.wall);
}

} // namespace

// Both figures for both simulator outputs, or the one named.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    try {
        guitest::useUnmanagedWindows("Corvane.exe");
        guitest::useUnmanagedWindows("BarReference.exe");
        guitest::useUnmanagedWindows("update_bench.exe");
        const SimOutput outputs[] = {{"with log and capture", false},
                                     {"with log and capture to NUL", true}};
        for (const SimOutput& output : outputs) {
            if (only.empty() || only == "throughput") {
                Throughput(output);
            }
            if (only.empty() || only == "waiting") {
                WaitingCost(output);
            }
            if (only.empty() || only == "memory") {
                Memory(output);
            }
            std::fflush(stdout);
        }
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "benchmark failed: %s\n", failure.what());
        return 1;
    }
}
