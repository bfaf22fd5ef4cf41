// One run of the real program on a chosen port library (the simulator, the recorder over the
// simulator, or the simulator replaying a recording): the operations pressed in order, the text
// of each box, and what the library and the printer saw. Used by the replay command, by the
// recordings' tests and by the recorder's own tests.
#pragma once

#include "Window.h"
#include "tests/support/SimControl.h"

#include <optional>
#include <string>
#include <vector>

namespace guitest {

struct RunSetup {
    enum class Library { Simulator, Recorder, Replay };
    Library library = Library::Simulator;
    // The built simulator that plays the printers (or, under the recorder, the real library).
    std::string simulator = "Lorvex.dll";
    // The scenario text (Replay: only what comes after the replay lines).
    std::string scenario;
    // Replay: the recording's text, and whether its pauses are kept.
    std::string recording;
    bool timing = false;
    // The data file's contents; none takes the sample file the build made.
    std::optional<std::string> data;
    // "update" and "verify", pressed in order, each waited for until its box shows.
    std::vector<std::string> operations;
    // A bitmap of the last box goes here (Windows path), when set.
    std::string screenshot;
    // The spooler's ports for the run, when set (else this machine's, left as they are), and
    // the port list item to choose before the first operation (empty: "Auto selection").
    std::optional<std::vector<std::string>> ports;
    std::string port;
};

struct RunResult {
    // The text of each box, in order.
    std::vector<std::string> boxes;
    // The simulator's log and what its printers took.
    std::vector<simctl::LogRecord> log;
    std::string capture;
    // Recorder: the recording it wrote.
    std::string recording;
};

// Runs the program as setup says and ends it through its Quit button, so a recorder writes
// out its recording. Throws WaitTimeout or runtime_error when the program does not behave.
RunResult runOperations(const std::string& label, const RunSetup& setup);

// What the replay command is asked.
struct ReplayRequest {
    // The recording's text.
    std::string recording;
    std::optional<std::string> data;
    bool timing = false;
    std::string screenshot;
    // Pressed in order; none takes those the recording shows.
    std::vector<std::string> operations;
    // The boxes' texts (one line each) the replay must show, when given.
    std::optional<std::vector<std::string>> expected;
};

// Replays a recording in the real program and reports, a line each: the operations, the calls
// replayed, the first divergence or none, each box's text. 0 only when the whole recording
// replayed without divergence and the boxes are the expected ones; else 1.
int replayRecording(const ReplayRequest& request, std::string& report);

// A box's text on one line: line breaks become "\n".
std::string oneLine(const std::string& text);

} // namespace guitest
