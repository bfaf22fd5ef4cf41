// corvane_replay: runs the real program on a recording, or makes one.
//   corvane_replay replay FILE.rec [--data FILE] [--timing] [--shot FILE.bmp] [--expect FILE]
//                  [update|verify ...]
//     plays the recording back in the simulator and presses the operations it holds (or those
//     given); prints the calls replayed, the first divergence, each box's text. Exit 0 only when
//     the whole recording replayed without divergence (and the boxes are the expected ones).
//   corvane_replay record SCENARIO OUT.rec [--expect OUT.expect] update|verify ...
//     runs the program on the recorder over the simulator and keeps the recording and the
//     boxes' texts. The scenario's comment lines "# ports: NAME ..." and "# port: NAME" give the
//     spooler's ports for the run and the port chosen (else this machine's, and "Auto
//     selection").
#include "RecordedRun.h"
#include "Wait.h"
#include "lvxio/ByteText.h"
#include "tests/support/SimControl.h"

#include <cstdio>
#include <exception>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string mode;
    std::string input;
    std::string output;
    std::string data;
    std::string shot;
    std::string expect;
    bool timing = false;
    std::vector<std::string> operations;
};

bool parseOptions(int argc, char** argv, Options& options) {
    if (argc < 3) {
        return false;
    }
    options.mode = argv[1];
    options.input = argv[2];
    int i = 3;
    if (options.mode == "record") {
        if (argc < 4) {
            return false;
        }
        options.output = argv[i++];
    } else if (options.mode != "replay") {
        return false;
    }
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--timing") {
            options.timing = true;
        } else if (arg == "--data" && hasValue) {
            options.data = argv[++i];
        } else if (arg == "--shot" && hasValue) {
            options.shot = argv[++i];
        } else if (arg == "--expect" && hasValue) {
            options.expect = argv[++i];
        } else if (arg == "update" || arg == "verify") {
            options.operations.push_back(arg);
        } else {
            return false;
        }
    }
    return true;
}

// The expected boxes, one line each; a missing file expects none.
std::vector<std::string> readExpected(const std::string& path) {
    return lvxio::text::lines(simctl::readFile(path));
}

// The words after "# KEY:" on the scenario's first line that starts so.
std::optional<std::vector<std::string>> commentWords(const std::string& scenario,
                                                     const std::string& key) {
    const std::string prefix = "# " + key + ":";
    for (const std::string& line : lvxio::text::lines(scenario)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            std::istringstream words(line.substr(prefix.size()));
            return std::vector<std::string>{std::istream_iterator<std::string>(words),
                                            std::istream_iterator<std::string>()};
        }
    }
    return std::nullopt;
}

int record(const Options& options) {
    guitest::RunSetup setup;
    setup.library = guitest::RunSetup::Library::Recorder;
    setup.scenario = simctl::readFile(options.input);
    setup.operations = options.operations;
    setup.ports = commentWords(setup.scenario, "ports");
    const auto port = commentWords(setup.scenario, "port");
    setup.port = port && !port->empty() ? port->front() : std::string();
    const guitest::RunResult run = guitest::runOperations("record", setup);
    if (run.recording.empty() || !simctl::writeFile(options.output, run.recording)) {
        std::printf("no recording was written\n");
        return 1;
    }
    std::string expected;
    for (const std::string& box : run.boxes) {
        std::printf("box: %s\n", guitest::oneLine(box).c_str());
        expected += guitest::oneLine(box) + "\n";
    }
    if (!options.expect.empty() && !simctl::writeFile(options.expect, expected)) {
        std::printf("cannot write %s\n", options.expect.c_str());
        return 1;
    }
    std::printf("recorded %zu bytes to %s\n", run.recording.size(), options.output.c_str());
    return 0;
}

int replay(const Options& options) {
    guitest::ReplayRequest request;
    request.recording = simctl::readFile(options.input);
    request.timing = options.timing;
    request.screenshot = options.shot;
    request.operations = options.operations;
    if (!options.data.empty()) {
        request.data = simctl::readFile(options.data);
    }
    if (!options.expect.empty()) {
        request.expected = readExpected(options.expect);
    }
    std::string report;
    const int status = guitest::replayRecording(request, report);
    std::fputs(report.c_str(), stdout);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::printf("usage: corvane_replay replay FILE.rec [--data FILE] [--timing] [--shot "
                    "FILE.bmp] [--expect FILE] [update|verify ...]\n"
                    "       corvane_replay record SCENARIO OUT.rec [--expect OUT.expect] "
                    "update|verify ...\n");
        return 2;
    }
    try {
        return options.mode == "record" ? record(options) : replay(options);
    } catch (const std::exception& failure) {
        std::printf("failed: %s\n", failure.what());
        return 1;
    }
}
