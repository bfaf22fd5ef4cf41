#include "RecordedRun.h"

#include "Driver.h"
#include "Product.h"
#include "CallPatterns.h"
#include "Controls.h"
#include "Picture.h"
#include "SpoolerPortsScope.h"
#include "ports/PortNames.h"
#include "lvxio/Recording.h"

#include <windows.h>

#include <stdexcept>

namespace guitest {

namespace {

// Files of the simulated and the recording library, as the build lays them out.
constexpr char SimulatorFile[] = "Lorvex.dll";
constexpr char RecorderFile[] = "recorder\\Lorvex.dll";
constexpr char RealLibraryName[] = "Lorvex.real.dll";
constexpr char RecordingName[] = "Lorvex.rec";
constexpr char ReplayName[] = "replay.rec";

// The scenario that plays the recording back.
std::string replayScenario(const RunSetup& setup) {
    return std::string("replay = \"") + ReplayName +
           "\"\nreplay.timing = " + (setup.timing ? "1" : "0") + "\n" + setup.scenario;
}

// The busy state is left once the box has gone.
void waitUntilIdle(const Window& main) {
    waitFor("the busy state to end", [&] {
        for (const int id : product::BusyControls) {
            if (!main.child(id).enabled()) {
                return false;
            }
        }
        return true;
    });
}

// The port list's item of that port (its name, or its name and " (MODEL)"). The list is filled
// when it drops down, as the operator's choice needed too.
void choosePort(const Window& main, const std::string& name) {
    const Window list = main.child(IDC_PORT_LIST);
    dropDownByClick(list);
    closeDropDown(list);
    int found = -1;
    std::string items;
    const auto find = [&] {
        const std::vector<std::string> texts = list.comboItems();
        items.clear();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            items += " \"" + texts[i] + "\"";
            if (texts[i] == name || texts[i].rfind(name + " (", 0) == 0) {
                found = static_cast<int>(i);
                return true;
            }
        }
        return false;
    };
    try {
        waitFor("the recorded port " + name + " in the port list", find);
    } catch (const WaitTimeout&) {
        throw std::runtime_error("the port list shows no " + name + ", only" + items);
    }
    selectComboItem(list, found);
}

} // namespace

RunResult runOperations(const std::string& label, const RunSetup& setup) {
    DriverOptions options;
    options.companions.clear();
    const bool replay = setup.library == RunSetup::Library::Replay;
    options.files.emplace_back(simctl::ScenarioFileName,
                               replay ? replayScenario(setup) : setup.scenario);
    if (replay) {
        options.files.emplace_back(ReplayName, setup.recording);
    }
    if (setup.data) {
        options.files.emplace_back(simctl::SampleImageName, *setup.data);
    }
    Driver driver(label, options);
    const TestFolder& folder = driver.folder();
    const std::string bin = Driver::binaryFolder() + "\\";
    if (!setup.data) {
        folder.copyIn(bin + simctl::SampleImageName, simctl::SampleImageName);
    }
    if (setup.library == RunSetup::Library::Recorder) {
        folder.copyIn(bin + RecorderFile, SimulatorFile);
        folder.copyIn(bin + setup.simulator, RealLibraryName);
    } else {
        folder.copyIn(bin + setup.simulator, SimulatorFile);
    }
    const simctl::SimFiles files = simctl::SimFiles::in(folder.path());
    driver.setEnvironment("LORVEX_SIM_SCENARIO", files.scenario);
    driver.setEnvironment("LORVEX_SIM_LOG", files.log);
    driver.setEnvironment("LORVEX_SIM_CAPTURE", files.capture);
    driver.setEnvironment("LORVEX_SIM_STATE", files.state);

    std::optional<replay::SpoolerPortsScope> ports;
    if (setup.ports) {
        ports.emplace(*setup.ports);
    }
    AppProcess& app = driver.start();
    const Window main = app.waitForWindow(product::DialogClass, product::MainCaption);
    if (!setup.port.empty()) {
        choosePort(main, setup.port);
    }
    RunResult result;
    for (std::size_t i = 0; i < setup.operations.size(); ++i) {
        const std::string& operation = setup.operations[i];
        if (operation != "update" && operation != "verify") {
            throw std::runtime_error("unknown operation '" + operation + "'");
        }
        main.child(operation == "update" ? IDC_UPDATE : IDC_VERIFY).clickByMessage();
        // A replay with its pauses lasts as long as the recorded run did.
        const Window box =
            app.waitForDialog(main, product::TransferLimit * (setup.timing ? 10 : 1));
        result.boxes.push_back(messageText(box));
        if (i + 1 == setup.operations.size() && !setup.screenshot.empty()) {
            savePicture(box, setup.screenshot);
        }
        pressButton(box, IDOK);
        app.waitForWindowGone(box);
        waitUntilIdle(main);
    }
    pressButton(main, IDCANCEL);
    app.waitForExit();
    result.log = simctl::readLog(files.log);
    result.capture = simctl::readFile(files.capture);
    result.recording = simctl::readFile(folder.file(RecordingName));
    return result;
}

// The simulator logs each replayed call with its line, and the divergence as a note; a call
// of the recording that the program never made is a divergence too.
int replayRecording(const ReplayRequest& request, std::string& report) {
    RunSetup setup;
    setup.library = RunSetup::Library::Replay;
    setup.recording = request.recording;
    setup.timing = request.timing;
    setup.screenshot = request.screenshot;
    setup.data = request.data;
    std::vector<std::string> problems;
    const std::vector<lvxio::RecordedCall> calls =
        lvxio::Recording::parseAll(request.recording, problems);
    setup.operations = request.operations.empty() ? replay::operations(calls) : request.operations;
    // The recorded machine's ports, when the recording lists them, and the item chosen there.
    std::vector<std::string> ports;
    if (lvxio::Recording::ports(request.recording, ports, problems)) {
        setup.ports = ports;
        setup.port = replay::chosenPort(calls, ports, [](const std::string& name) {
            return static_cast<uint16_t>(PortIdFromText(name.c_str()));
        });
        std::string listed;
        for (const std::string& name : ports) {
            listed += " \"" + name + "\"";
        }
        report += "ports:" + listed +
                  "\nchosen: " + (setup.port.empty() ? std::string("Auto selection") : setup.port) +
                  "\n";
    }
    for (const std::string& problem : problems) {
        report += "recording problem: " + problem + "\n";
    }
    std::string operations;
    for (const std::string& operation : setup.operations) {
        operations += " " + operation;
    }
    report += "operations:" + (operations.empty() ? std::string(" none") : operations) + "\n";

    const RunResult run = runOperations("replay", setup);
    std::size_t replayed = 0;
    std::string divergence;
    for (const simctl::LogRecord& record : run.log) {
        const std::string line = record.value("replay");
        replayed += !line.empty() && line != "diverged" ? 1 : 0;
        if (divergence.empty() && record.kind == simctl::LogRecord::Kind::Note &&
            record.note.rfind("replay divergence", 0) == 0) {
            divergence = record.note;
        }
    }
    report += "calls replayed: " + std::to_string(replayed) + " of " +
              std::to_string(calls.size()) + "\n";
    if (divergence.empty() && replayed < calls.size()) {
        const lvxio::RecordedCall& missed = calls[replayed];
        divergence = "replay divergence at line " + std::to_string(missed.line) + ": expected " +
                     lvxio::Recording::describe(missed) + ", came no further call";
    }
    report += "first divergence: " + (divergence.empty() ? std::string("none") : divergence) + "\n";
    if (divergence.find("data piece") != std::string::npos) {
        report += "the data pieces differ: replay with the data file of the recorded run\n";
    }
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < run.boxes.size(); ++i) {
        shown.push_back(oneLine(run.boxes[i]));
        report += "box " + std::to_string(i + 1) + ": " + shown.back() + "\n";
    }
    const bool expected = !request.expected || shown == *request.expected;
    if (request.expected) {
        report += std::string("boxes as expected: ") + (expected ? "yes" : "NO") + "\n";
    }
    return divergence.empty() && problems.empty() && expected ? 0 : 1;
}

std::string oneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        line += text[i] == '\n' ? std::string("\\n") : std::string(1, text[i]);
    }
    return line;
}

} // namespace guitest
