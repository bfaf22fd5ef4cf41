// The recording library over the simulator, and the replay of what it recorded: the program
// must not notice the recorder, and a replay must notice anything that differs.
#include "Driver.h"
#include "Product.h"
#include "RecordedRun.h"
#include "tests/support/SimControl.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// One printer on LPT1, which "Auto selection" finds, taking every byte at once.
std::string instantScenario() {
    simctl::Scenario scenario;
    scenario.printer(simctl::lpt(1)).rate(0);
    return scenario.text();
}

guitest::RunSetup updateThenVerify(guitest::RunSetup::Library library) {
    guitest::RunSetup setup;
    setup.library = library;
    setup.scenario = instantScenario();
    setup.operations = {"update", "verify"};
    return setup;
}

// The calls as the printer saw them: name and arguments.
std::vector<std::string> callLines(const std::vector<simctl::LogRecord>& log) {
    std::vector<std::string> lines;
    for (const simctl::LogRecord& call : simctl::callsOf(log)) {
        std::string line = call.name;
        for (const auto& [key, value] : call.args) {
            line += " " + key + "=" + value;
        }
        lines.push_back(line);
    }
    return lines;
}

class RecorderTest : public ::testing::Test {
protected:
    // One recorded run serves every test of the suite.
    static void SetUpTestSuite() {
        recorded_ = guitest::runOperations("recorded",
                                           updateThenVerify(guitest::RunSetup::Library::Recorder));
    }
    static guitest::RunResult recorded_;
};

guitest::RunResult RecorderTest::recorded_;

TEST_F(RecorderTest, ProgramAndPrinterSeeTheSameAsWithoutIt) {
    const guitest::RunResult plain =
        guitest::runOperations("plain", updateThenVerify(guitest::RunSetup::Library::Simulator));
    ASSERT_EQ(plain.boxes.size(), 2u);
    EXPECT_EQ(recorded_.boxes, plain.boxes);
    EXPECT_EQ(recorded_.capture, plain.capture);
    EXPECT_EQ(recorded_.capture.size() > 120000, true);
    EXPECT_EQ(callLines(recorded_.log), callLines(plain.log));

    // The whole recording plays back, with the same boxes.
    guitest::ReplayRequest request;
    request.recording = recorded_.recording;
    request.expected = std::vector<std::string>{guitest::oneLine(plain.boxes[0]),
                                                guitest::oneLine(plain.boxes[1])};
    std::string report;
    EXPECT_EQ(guitest::replayRecording(request, report), 0) << report;
    EXPECT_NE(report.find("operations: update verify\n"), std::string::npos) << report;
    EXPECT_NE(report.find("first divergence: none\n"), std::string::npos) << report;
}

// A replay that differs names the recording's line and fails.
TEST_F(RecorderTest, DivergenceIsReportedWithItsLine) {
    struct Case {
        const char* what;
        std::optional<std::string> data;
        std::string recording;
        const char* says;
    };
    // The version reply edited into one the check refuses: Verify ends early.
    const std::string editedReply =
        std::regex_replace(recorded_.recording, std::regex("got=22 data=[0-9A-F]+"),
                           "got=4 data=58585858", std::regex_constants::format_first_only);
    ASSERT_NE(editedReply, recorded_.recording);
    const Case cases[] = {
        {"another data file", simctl::testData(122900, 7), recorded_.recording,
         "the data pieces differ"},
        {"an edited reply", std::nullopt, editedReply,
         "first divergence: replay divergence at line "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        guitest::ReplayRequest request;
        request.recording = c.recording;
        request.data = c.data;
        std::string report;
        EXPECT_EQ(guitest::replayRecording(request, report), 1) << report;
        EXPECT_TRUE(std::regex_search(report, std::regex("divergence at line [0-9]+: expected ")))
            << report;
        EXPECT_NE(report.find(c.says), std::string::npos) << report;
    }
}

// The recorder cannot tell a send of the update from a command, so it cannot refuse the send
// when the real library lacks the count of a send: the tool sends where without the recorder
// it would refuse at once. The recording says which entry point was missing.
TEST(RecorderMissingEntryPoint, RecordedAsMissingAndTheUpdateGoesOn) {
    guitest::RunSetup setup = updateThenVerify(guitest::RunSetup::Library::Simulator);
    setup.simulator = "Lorvex_noGetPreviousSentDataSizeByLvx.dll";
    setup.operations = {"update"};
    const guitest::RunResult plain = guitest::runOperations("plain", setup);
    setup.library = guitest::RunSetup::Library::Recorder;
    const guitest::RunResult recorded = guitest::runOperations("recorded", setup);
    EXPECT_EQ(plain.boxes, std::vector<std::string>{"Communication error!"});
    EXPECT_TRUE(plain.capture.empty());
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0], "Communication error!");
    EXPECT_GT(recorded.capture.size(), 120000u);
    EXPECT_NE(recorded.recording.find(" GetPreviousSentDataSizeByLvx -> 0x0000B000 missing=1\n"),
              std::string::npos);
}

// Without the real library the recorder does not load, and the tool says what it always says.
TEST(RecorderWithoutRealLibrary, ToolShowsItsStartUpMessage) {
    guitest::DriverOptions options;
    options.companions.clear();
    guitest::Driver driver("no-real-library", options);
    driver.folder().copyIn(guitest::Driver::binaryFolder() + "\\recorder\\Lorvex.dll",
                           "Lorvex.dll");
    guitest::AppProcess& app = driver.start();
    const guitest::Window box = app.waitForDialog();
    EXPECT_EQ(guitest::messageText(box), "Cannot found DLL files.\nThis program is aborted.");
    guitest::pressButton(box, IDOK);
    EXPECT_EQ(app.waitForExit(), 0u);
}

// Data sends (longer than any command) the printer saw.
std::size_t dataSends(const std::vector<simctl::LogRecord>& log) {
    std::size_t sends = 0;
    for (const simctl::LogRecord& call : simctl::callsOf(log)) {
        sends += call.name == "SendByLvx" && call.number("count") > 64 ? 1 : 0;
    }
    return sends;
}

// The recorder keeps nothing in the process: a program killed in the middle of an update leaves
// a recording with every data send the printer saw, but for at most the one in flight.
TEST(RecorderWriteThrough, AKilledProgramLosesAtMostTheCallInFlight) {
    simctl::Scenario scenario;
    scenario.printer(simctl::lpt(1)).rate(4000);
    guitest::DriverOptions options;
    options.companions.clear();
    options.files.emplace_back(simctl::ScenarioFileName, scenario.text());
    guitest::Driver driver("write-through", options);
    const std::string bin = guitest::Driver::binaryFolder() + "\\";
    driver.folder().copyIn(bin + "recorder\\Lorvex.dll", "Lorvex.dll");
    driver.folder().copyIn(bin + "Lorvex.dll", "Lorvex.real.dll");
    driver.folder().copyIn(bin + simctl::SampleImageName, simctl::SampleImageName);
    const simctl::SimFiles files = simctl::SimFiles::in(driver.folder().path());
    driver.setEnvironment("LORVEX_SIM_SCENARIO", files.scenario);
    driver.setEnvironment("LORVEX_SIM_LOG", files.log);
    driver.setEnvironment("LORVEX_SIM_CAPTURE", files.capture);
    driver.setEnvironment("LORVEX_SIM_STATE", files.state);
    guitest::AppProcess& app = driver.start();
    const guitest::Window main = app.waitForWindow(product::DialogClass, product::MainCaption);
    main.child(IDC_UPDATE).clickByMessage();
    guitest::waitFor("five data sends", [&] { return dataSends(simctl::readLog(files.log)) >= 5; });
    app.kill();
    const std::size_t seen = dataSends(simctl::readLog(files.log));
    const std::string recording = simctl::readFile(driver.folder().file("Lorvex.rec"));
    std::size_t recorded = 0;
    for (std::size_t at = recording.find(" crc="); at != std::string::npos;
         at = recording.find(" crc=", at + 1)) {
        ++recorded;
    }
    EXPECT_GE(recorded, 5u);
    EXPECT_GE(recorded + 1, seen) << recording;
}

} // namespace
