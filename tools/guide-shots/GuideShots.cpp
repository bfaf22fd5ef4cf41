// Takes the operator's guide through an Update and a Verify:
//   GuideShots.exe FOLDER
// starts Corvane.exe in the driver's folder on the simulated printers, drives it by window
// messages alone (no pointer, no keys, so no hover or focus cue differs between two runs) and
// saves each view worth a picture as FOLDER\NAME.bmp. For the run command,
//   GuideShots.exe --main-window FILE
// saves only the main window as it opens on the scenario beside this program (Lorvex.sim).
// Exit code 0 when every view was taken.
#include "Driver.h"
#include "Picture.h"
#include "Product.h"
#include "Program.h"

#include "res/resource.h"

#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

// Generous: under emulation a program takes seconds to start.
constexpr guitest::Millis WaitLimit{120000};
// Data sends from this one on stall: the bar stands still at one less, in thousands of bytes.
constexpr int StallFromPiece = 60;

// A printer on the first parallel port, taking every byte at once.
const std::string GoodScenario = "[LPT1]\nrate = 0\n";
// The same printer taking the first pieces of the update, then none.
const std::string StalledScenario =
    GoodScenario + "stall = forever from " + std::to_string(StallFromPiece) + "\n";

class Shots {
public:
    explicit Shots(std::string folder) : folder_(std::move(folder)) {}

    void take(const char* name, const guitest::Window& window) const {
        guitest::savePicture(window, folder_ + "\\" + name + ".bmp", WaitLimit);
        std::printf("%s\n", name);
        std::fflush(stdout);
    }

private:
    std::string folder_;
};

// The program in a folder of its own with its library, its data file and this scenario.
guitest::DriverOptions ProgramOn(const std::string& scenario) {
    guitest::DriverOptions options;
    options.companions = {"Lorvex.dll", product::DataFileName};
    options.files = {{"Lorvex.sim", scenario}};
    return options;
}

// Presses the box's OK and waits until the main window is ready again.
void Dismiss(const guitest::AppProcess& program, const guitest::Window& box,
             const guitest::Window& main) {
    box.postCommand(IDOK);
    program.waitForWindowGone(box, WaitLimit);
    guitest::waitUntilIdle(main, WaitLimit);
}

// The main window as it opens, and a transfer held part-way by a stalling printer.
void StalledRun(const Shots& shots) {
    guitest::Driver driver("guide-stalled", ProgramOn(StalledScenario));
    const guitest::AppProcess& program = driver.start();
    const guitest::Window main = guitest::waitForMainWindow(program, WaitLimit);
    shots.take("main-window", main);
    main.postCommand(IDC_UPDATE);
    const guitest::Window bar = main.child(IDC_PROGRESS);
    guitest::waitFor(
        "the transfer to stall", [&] { return bar.progressPosition() == StallFromPiece - 1; },
        WaitLimit);
    shots.take("transfer", main);
}

// An update to its end, a Verify, and the about box.
void GoodRun(const Shots& shots) {
    guitest::Driver driver("guide-good", ProgramOn(GoodScenario));
    const guitest::AppProcess& program = driver.start();
    const guitest::Window main = guitest::waitForMainWindow(program, WaitLimit);
    main.postCommand(IDC_UPDATE);
    guitest::Window box = program.waitForDialog(main, WaitLimit);
    shots.take("completion", box);
    Dismiss(program, box, main);
    main.postCommand(IDC_VERIFY);
    box = program.waitForDialog(main, WaitLimit);
    shots.take("verify", box);
    Dismiss(program, box, main);
    main.post(WM_SYSCOMMAND, IDM_ABOUTBOX);
    box = guitest::waitForAboutBox(program, WaitLimit);
    shots.take("about-box", box);
    box.postCommand(IDOK);
    program.waitForWindowGone(box, WaitLimit);
    main.postCommand(IDCANCEL);
    program.waitForExit(WaitLimit);
}

// The run command's picture: the main window on the machine's own simulated printers.
void MainWindowOnly(const std::string& file) {
    guitest::DriverOptions options;
    options.companions = {"Lorvex.dll", "Lorvex.sim"};
    guitest::Driver driver("run-picture", options);
    const guitest::AppProcess& program = driver.start();
    const guitest::Window main = guitest::waitForMainWindow(program, WaitLimit);
    guitest::savePicture(main, file, WaitLimit);
    main.postCommand(IDCANCEL);
    program.waitForExit(WaitLimit);
}

} // namespace

int main(int argc, char** argv) {
    const bool mainWindowOnly = argc == 3 && std::string(argv[1]) == "--main-window";
    if (argc != 2 && !mainWindowOnly) {
        std::printf("usage: GuideShots.exe FOLDER | GuideShots.exe --main-window FILE\n");
        return 2;
    }
    try {
        if (mainWindowOnly) {
            MainWindowOnly(argv[2]);
            return 0;
        }
        const Shots shots(argv[1]);
        StalledRun(shots);
        GoodRun(shots);
        std::printf("done\n");
        return 0;
    } catch (const std::exception& failure) {
        std::printf("failed: %s\n", failure.what());
        return 1;
    }
}
