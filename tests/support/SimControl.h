// Test-side control of the simulated port library (sim/, Lorvex.dll): write scenarios, read
// the call log, the capture of accepted bytes and the NVM state file, make data files.
// The formats are described in sim/README.md. Byte strings are held in std::string.
#pragma once

#include "Files.h"

#include "portlib/PortTypes.h"

#include <cstdint>
#include <map>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace simctl {

// Port identifier of LPTn:.
constexpr PortId lpt(int n) {
    return static_cast<PortId>(1151 + n);
}
// Port identifier of USBnnn.
constexpr PortId usb(int n) {
    return static_cast<PortId>(1024 + n);
}

// File names the library uses beside itself when no environment variable names them.
inline constexpr char ScenarioFileName[] = "Lorvex.sim";
inline constexpr char LogFileName[] = "Lorvex.sim.log";
inline constexpr char CaptureFileName[] = "Lorvex.sim.capture";
inline constexpr char StateFileName[] = "Lorvex.sim.state";
// The sample update file the build puts beside the tool.
inline constexpr char SampleImageName[] = "NV(01_01_06)_update.dcc";
// The version that sample image carries.
inline constexpr char SampleImageVersion[] = "01.01.06";

// Results the simulator gives on its own account.
inline constexpr uint16_t NoPrinterResult = 0x0102;
inline constexpr uint16_t NotOpenResult = 0x0104;
inline constexpr uint16_t BadArgumentResult = 0x0105;

// The wire bytes of the diagnostic exchange, as the printer expects them.
std::string prefixCommand();
// "@ZKL ENTER LANGUAGE=DIAG\r\n" and a NUL.
std::string enterDiagCommand();
// "CD 5,2,E2,01\r\n".
std::string versionReadCommand();
// "CD 2,3,12,HH,LL\r\n" for an NVM address.
std::string addressReadCommand(uint16_t address);
// "ED\r\n".
std::string leaveDiagCommand();

// A scenario built in code; each printer starts as the default KT-9600 (rate 40000 B/s).
class Scenario {
public:
    // One printer's settings; every setter returns the printer for chaining.
    class Printer {
    public:
        // A default printer on port.
        explicit Printer(PortId port) : port_(port) {}

        // PortOpenByLvx result (only 1 opens).
        Printer& open(uint16_t code, int16_t detail = 0);
        // CheckDeviceIDByLvx result.
        Printer& check(uint16_t code, int16_t detail = 0);
        // Model name text; 100 bytes or more fill the buffer with no NUL.
        Printer& model(const std::string& text);
        // GetModelNameByLvx result (the name is written only with 1).
        Printer& modelResult(uint16_t code, int16_t detail = 0);
        // Device ID text; as long as the buffer or longer fills it with no NUL.
        Printer& deviceId(const std::string& text);
        // GetDeviceIDByLvx result (the text is written only with 1).
        Printer& deviceIdResult(uint16_t code, int16_t detail = 0);
        // NVM version, "01.00.05".
        Printer& version(const std::string& text);
        // Value of an NVM byte.
        Printer& nvm(uint16_t address, uint8_t value);
        // The version read is answered with these bytes instead.
        Printer& versionReply(const std::string& bytes);
        // The version read's receive times out (0x1000/-109), delivering these bytes.
        Printer& versionTimeOut(const std::string& bytes = {});
        // The version read's receive fails with code (and detail).
        Printer& versionFail(uint16_t code, int16_t detail = 0);
        // The read of address is answered with these bytes instead.
        Printer& addressReply(uint16_t address, const std::string& bytes);
        // The read of address times out, delivering these bytes.
        Printer& addressTimeOut(uint16_t address, const std::string& bytes = {});
        // The read of address fails with code (and detail).
        Printer& addressFail(uint16_t address, uint16_t code, int16_t detail = 0);
        // Every receive fails with code (and detail).
        Printer& everyReceiveFail(uint16_t code, int16_t detail = 0);
        // Every receive times out (0x1000/-109), delivering these bytes.
        Printer& everyReceiveTimeOut(const std::string& bytes = {});
        // A send starting with prefix fails with code (and detail), accepting nothing.
        // With atMatch N, only the Nth such send of a session fails.
        Printer& sendFail(const std::string& prefix, uint16_t code, int16_t detail = 0,
                          uint32_t atMatch = 0);
        // Transfer rate in bytes per second; 0 is instant.
        Printer& rate(uint32_t bytesPerSecond);
        // Extra milliseconds per send and receive.
        Printer& latency(uint32_t ms);
        // Data send number atCall (0: every one) accepts at most `accept` bytes, then -81.
        Printer& partial(uint32_t accept, uint32_t atCall = 0);
        // Data sends fromCall.. accept nothing (-81): `calls` of them, or with 0 for ever.
        Printer& stall(uint32_t calls, uint32_t fromCall = 1);
        // After data byte afterByte every send fails with code (and detail).
        Printer& hardFail(uint64_t afterByte, uint16_t code, int16_t detail = 0);
        // Data send number atCall takes every byte offered, yet reports -81.
        Printer& incomplete(uint32_t atCall);
        // GetPreviousSentDataSize reports offered + extra after data send atCall (0: every one).
        Printer& overReport(uint32_t extra, uint32_t atCall = 0);
        // Byte written to the send flag.
        Printer& flag(uint8_t value);
        // Any scenario line, verbatim.
        Printer& line(const std::string& raw);

        // The printer's section of the scenario text.
        std::string text() const;

    private:
        PortId port_;
        std::vector<std::string> lines_;
    };

    // The printer on port, added on first use.
    Printer& printer(PortId port);
    // Where NVM versions are kept (relative paths are taken from the scenario's folder).
    Scenario& statePath(const std::string& path);
    // PortOpenByLvx result for ports with no printer.
    Scenario& noPrinterResult(uint16_t code);
    // Call atCall of entry (0: every call), counted since the library read the scenario, does
    // nothing but fail with code (and detail); a failed ReceiveByLvx still delivers the first
    // `deliver` bytes of the reply then due.
    Scenario& failCall(const std::string& entry, uint16_t code, int16_t detail = 0,
                       uint32_t atCall = 0, uint32_t deliver = 0);
    // Call atCall of entry acts as always, with upper in the upper half of its return register.
    Scenario& upperBits(const std::string& entry, uint16_t upper, uint32_t atCall = 0);

    // The whole scenario text.
    std::string text() const;
    // Writes the text to path.
    bool write(const std::string& path) const;

private:
    std::vector<std::string> globals_;
    std::map<PortId, Printer> printers_;
};

// One line of the call log.
struct LogRecord {
    enum class Kind { Call, Load, Unload, Note };
    Kind kind = Kind::Note;
    unsigned long pid = 0;
    // Entry point name, "DllMain", or "#" for a note.
    std::string name;
    // key=value pairs before "->" (quoted values are unquoted).
    std::vector<std::pair<std::string, std::string>> args;
    // The result, for calls.
    bool hasResult = false;
    uint16_t result = 0;
    // key=value pairs after the result (detail, sent, got, data, text...).
    std::vector<std::pair<std::string, std::string>> outputs;
    // The text of a note.
    std::string note;
    // The line as written.
    std::string raw;

    // True when args or outputs have key.
    bool has(const std::string& key) const;
    // Value of key from args, then outputs; empty if absent.
    std::string value(const std::string& key) const;
    // Value of key as a number (decimal, or 0x hex); 0 if absent.
    long long number(const std::string& key) const;
    // Hex value of key (e.g. data) decoded to bytes.
    std::string bytes(const std::string& key) const;
};

// Every line of the log at path, in order; missing file gives none.
std::vector<LogRecord> readLog(const std::string& path);
// Only the entry point calls.
std::vector<LogRecord> callsOf(const std::vector<LogRecord>& records);
// Names of the entry point calls, in order.
std::vector<std::string> callNames(const std::vector<LogRecord>& records);

// The program's folder, a temporary folder and whole files, as the driver handles them.
using guitest::makeTempFolder;
using guitest::programFolder;
using guitest::readFile;
using guitest::removeTree;
using guitest::writeFile;
// Deletes a file (log, capture, state); true if it is gone afterwards.
bool removeFile(const std::string& path);

// The version stored for port in a state file, or empty.
std::string storedVersion(const std::string& statePath, PortId port);
// Stores a version for port in a state file.
bool storeVersion(const std::string& statePath, PortId port, const std::string& version);

// Deterministic test data of size bytes (never contains an NVM image).
std::string testData(std::size_t size, uint32_t seed = 1);
// Writes testData(size, seed) to path.
bool writeTestData(const std::string& path, std::size_t size, uint32_t seed = 1);
// An NVM update image of version ("01.01.06") with payloadSize payload bytes; empty if the
// version is malformed.
std::string nvmImage(const std::string& version, uint32_t payloadSize);
// Writes nvmImage(version, payloadSize) to path.
bool writeNvmImage(const std::string& path, const std::string& version, uint32_t payloadSize);

// The four file paths the library uses, all in one folder.
struct SimFiles {
    std::string scenario;
    std::string log;
    std::string capture;
    std::string state;

    // The default names inside folder (with or without a trailing backslash).
    static SimFiles in(const std::string& folder);
};
// Points LORVEX_SIM_SCENARIO/LOG/CAPTURE/STATE of this process at files (for in-process use;
// takes effect at the next load, and for the scenario at the next PortOpenByLvx).
void exportToEnvironment(const SimFiles& files);
// Clears those four variables.
void clearEnvironment();

} // namespace simctl
