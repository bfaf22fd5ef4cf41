// What the virtual printers do: parsed from the scenario text (see sim/README.md).
#pragma once

#include "portlib/PortTypes.h"
#include "sim/NvmImage.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lvxsim {

// A result code, and the I/O detail it leaves when it is 0x1000.
struct Outcome {
    uint16_t code = 1;
    int16_t detail = 0;
};

// How the printer answers one read.
struct ReplyRule {
    enum class Kind { Reply, TimeOut, Fail };
    Kind kind = Kind::Reply;
    std::string bytes;
    Outcome failure;
};

// A send whose data starts with prefix fails whole: every such send, or with atMatch N only
// the Nth of a session.
struct SendFailRule {
    std::string prefix;
    Outcome outcome;
    uint32_t atMatch = 0;
};

// A data send accepts at most `accept` bytes, then reports -81; atCall 0 means every call.
struct PartialRule {
    uint32_t accept = 0;
    uint32_t atCall = 0;
};

// Data sends fromCall.. accept nothing (-81), for `calls` calls or, with 0, for ever.
struct StallRule {
    uint32_t calls = 0;
    uint32_t fromCall = 1;
};

// After data byte afterByte of a session the printer fails every send with outcome.
struct HardFailRule {
    uint64_t afterByte = 0;
    Outcome outcome;
};

// GetPreviousSentDataSize reports extra bytes more than offered; atCall 0 means every call.
struct OverReportRule {
    uint32_t extra = 0;
    uint32_t atCall = 0;
};

// A rule on calls of one entry point, counted since the scenario was read: the atCall-th call
// (0: every call) fails, or answers with garbage in the upper half of its return register.
struct CallRule {
    enum class Kind { Fail, Upper };
    // The exported name, e.g. "SendByLvx".
    std::string entry;
    Kind kind = Kind::Fail;
    // Fail: the call does nothing else and returns this.
    Outcome outcome;
    // Fail on ReceiveByLvx: the first bytes of the reply then due are still delivered.
    uint32_t deliver = 0;
    // Upper: the call acts as always; these are the upper 16 bits of its return register.
    uint16_t upper = 0;
    uint32_t atCall = 0;
};

// One virtual printer.
struct PrinterConfig {
    PortId port = 0;
    Outcome open;
    Outcome check;
    Outcome modelResult;
    std::string model = "KT-9600";
    Outcome deviceIdResult;
    std::string deviceId = "MFG:Corvane Sim;CMD:ZKL,PCL;MDL:KT-9600;CLS:PRINTER;";
    NvmVersion version{0x01, 0x00, 0x05};
    std::map<uint16_t, uint8_t> nvm{{0x11BA, 0x05}, {0x12BA, 0xAB}};
    std::optional<ReplyRule> versionReply;
    std::map<uint16_t, ReplyRule> addressReplies;
    std::optional<ReplyRule> everyReceive;
    std::vector<SendFailRule> sendFails;
    uint32_t rate = 40000;
    uint32_t latencyMs = 0;
    std::vector<PartialRule> partials;
    std::optional<StallRule> stall;
    std::optional<HardFailRule> hardFail;
    std::vector<OverReportRule> overReports;
    // Data send numbers that take every byte offered yet report -81 (sent size = count).
    std::vector<uint32_t> incompleteCalls;
    uint8_t flag = 0;
};

// A recording the library plays back instead of its printers; timing keeps its pauses.
struct ReplaySettings {
    std::string path;
    bool timing = false;
};

class Scenario {
public:
    // Result of opening a port that has no printer.
    static constexpr uint16_t NoPrinterCode = 0x0102;

    // The scenario used without a file: one default printer on LPT1:.
    static Scenario defaults();
    // Parses scenario text; each line that cannot be used is skipped and described in problems.
    static Scenario parse(const std::string& text, std::vector<std::string>& problems);

    // The printer on port, or null.
    const PrinterConfig* printer(PortId port) const;
    // Number of printers.
    std::size_t printerCount() const { return printers_.size(); }
    // Result of opening a port with no printer.
    uint16_t noPrinterResult() const { return noPrinter_; }
    // State file named by the scenario (relative to the scenario's folder), or empty.
    const std::string& statePath() const { return statePath_; }
    // The recording to play back (relative to the scenario's folder); empty path for none.
    const ReplaySettings& replay() const { return replay_; }
    // The call rules, in the order of their lines.
    const std::vector<CallRule>& callRules() const { return callRules_; }
    // Port number of "LPT1", "USB001", "USB1" or a plain number; 0 if none of these.
    static PortId parsePortName(const std::string& name);

private:
    std::map<PortId, PrinterConfig> printers_;
    uint16_t noPrinter_ = NoPrinterCode;
    std::string statePath_;
    std::vector<CallRule> callRules_;
    ReplaySettings replay_;
};

} // namespace lvxsim
