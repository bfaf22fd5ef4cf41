#include "SimControl.h"

#include "lvxio/ByteText.h"
#include "lvxio/FileHandle.h"
#include "sim/NvmImage.h"
#include "sim/PrinterSession.h"
#include "sim/StateFile.h"

#include <windows.h>

namespace simctl {

namespace {

using lvxio::text::quote;

// "CODE DETAIL" as the scenario writes outcomes.
std::string outcome(uint16_t code, int16_t detail) {
    return lvxio::text::hex16(code) + " " + std::to_string(detail);
}

// Four upper-case hex digits of an NVM address.
std::string address4(uint16_t address) {
    return lvxio::text::hex8(static_cast<uint8_t>(address >> 8)) +
           lvxio::text::hex8(static_cast<uint8_t>(address & 0xFF));
}

// Reads `key=value` pairs from line[pos..) up to "->" or the end; quoted values unquoted.
std::size_t readPairs(const std::string& line, std::size_t pos,
                      std::vector<std::pair<std::string, std::string>>& pairs) {
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') {
            ++pos;
        }
        if (pos >= line.size() || line.compare(pos, 2, "->") == 0) {
            break;
        }
        const std::size_t eq = line.find('=', pos);
        const std::size_t space = line.find(' ', pos);
        if (eq == std::string::npos || (space != std::string::npos && space < eq)) {
            pairs.emplace_back(line.substr(pos, space - pos), std::string());
            pos = space == std::string::npos ? line.size() : space;
            continue;
        }
        std::string key = line.substr(pos, eq - pos);
        pos = eq + 1;
        std::string value;
        if (pos < line.size() && line[pos] == '"') {
            if (!lvxio::text::unquote(line, pos, value)) {
                value = line.substr(pos);
                pos = line.size();
            }
        } else {
            const std::size_t end = line.find(' ', pos);
            value = line.substr(pos, end - pos);
            pos = end == std::string::npos ? line.size() : end;
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return pos;
}

// One log line as a record.
LogRecord parseLine(const std::string& line) {
    LogRecord r;
    r.raw = line;
    std::size_t pos = line.find(' ');
    long long pid = 0;
    if (pos == std::string::npos || !lvxio::text::parseInteger(line.substr(0, pos), pid)) {
        r.note = line;
        return r;
    }
    r.pid = static_cast<unsigned long>(pid);
    ++pos;
    if (line.compare(pos, 2, "# ") == 0) {
        r.name = "#";
        r.note = line.substr(pos + 2);
        return r;
    }
    const std::size_t nameEnd = line.find(' ', pos);
    r.name = line.substr(pos, nameEnd - pos);
    if (nameEnd == std::string::npos) {
        r.kind = LogRecord::Kind::Call;
        return r;
    }
    pos = readPairs(line, nameEnd + 1, r.args);
    if (r.name == "DllMain") {
        r.kind = r.value("reason") == "attach" ? LogRecord::Kind::Load : LogRecord::Kind::Unload;
        return r;
    }
    r.kind = LogRecord::Kind::Call;
    if (line.compare(pos, 3, "-> ") == 0) {
        pos += 3;
        const std::size_t end = line.find(' ', pos);
        long long result = 0;
        if (lvxio::text::parseInteger(line.substr(pos, end - pos), result)) {
            r.hasResult = true;
            r.result = static_cast<uint16_t>(result & 0xFFFF);
        }
        if (end != std::string::npos) {
            readPairs(line, end + 1, r.outputs);
        }
    }
    return r;
}

// Sets or clears one environment variable.
void setVariable(const char* name, const std::string& value) {
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

} // namespace

// The nine-byte prefix.
std::string prefixCommand() {
    return std::string(lvxsim::PrinterSession::Prefix);
}
// The ENTER command, NUL included.
std::string enterDiagCommand() {
    return std::string(lvxsim::PrinterSession::EnterDiag);
}
// The version read.
std::string versionReadCommand() {
    return "CD 5,2,E2,01\r\n";
}
// The read of one NVM byte.
std::string addressReadCommand(uint16_t address) {
    return "CD 2,3,12," + lvxio::text::hex8(static_cast<uint8_t>(address >> 8)) + "," +
           lvxio::text::hex8(static_cast<uint8_t>(address & 0xFF)) + "\r\n";
}
// Leaves the language.
std::string leaveDiagCommand() {
    return "ED\r\n";
}

// Each setter adds one scenario line; later lines override earlier ones.
Scenario::Printer& Scenario::Printer::open(uint16_t code, int16_t detail) {
    return line("open = " + outcome(code, detail));
}
// CheckDeviceIDByLvx result.
Scenario::Printer& Scenario::Printer::check(uint16_t code, int16_t detail) {
    return line("check = " + outcome(code, detail));
}
// Model name text.
Scenario::Printer& Scenario::Printer::model(const std::string& text) {
    return line("model = " + quote(text));
}
// GetModelNameByLvx result.
Scenario::Printer& Scenario::Printer::modelResult(uint16_t code, int16_t detail) {
    return line("model.result = " + outcome(code, detail));
}
// Device ID text.
Scenario::Printer& Scenario::Printer::deviceId(const std::string& text) {
    return line("deviceid = " + quote(text));
}
// GetDeviceIDByLvx result.
Scenario::Printer& Scenario::Printer::deviceIdResult(uint16_t code, int16_t detail) {
    return line("deviceid.result = " + outcome(code, detail));
}
// NVM version.
Scenario::Printer& Scenario::Printer::version(const std::string& text) {
    return line("version = " + text);
}
// One NVM byte.
Scenario::Printer& Scenario::Printer::nvm(uint16_t address, uint8_t value) {
    return line("nvm " + address4(address) + " = " + lvxio::text::hex8(value));
}
// Version read reply bytes.
Scenario::Printer& Scenario::Printer::versionReply(const std::string& bytes) {
    return line("reply version = " + quote(bytes));
}
// Version read times out.
Scenario::Printer& Scenario::Printer::versionTimeOut(const std::string& bytes) {
    return line("reply version = timeout " + quote(bytes));
}
// Version read fails.
Scenario::Printer& Scenario::Printer::versionFail(uint16_t code, int16_t detail) {
    return line("reply version = fail " + outcome(code, detail));
}
// Address read reply bytes.
Scenario::Printer& Scenario::Printer::addressReply(uint16_t address, const std::string& bytes) {
    return line("reply " + address4(address) + " = " + quote(bytes));
}
// Address read times out.
Scenario::Printer& Scenario::Printer::addressTimeOut(uint16_t address, const std::string& bytes) {
    return line("reply " + address4(address) + " = timeout " + quote(bytes));
}
// Address read fails.
Scenario::Printer& Scenario::Printer::addressFail(uint16_t address, uint16_t code, int16_t detail) {
    return line("reply " + address4(address) + " = fail " + outcome(code, detail));
}
// Every receive fails.
Scenario::Printer& Scenario::Printer::everyReceiveFail(uint16_t code, int16_t detail) {
    return line("reply all = fail " + outcome(code, detail));
}
// Every receive times out.
Scenario::Printer& Scenario::Printer::everyReceiveTimeOut(const std::string& bytes) {
    return line("reply all = timeout " + quote(bytes));
}
// Sends starting with prefix fail.
Scenario::Printer& Scenario::Printer::sendFail(const std::string& prefix, uint16_t code,
                                               int16_t detail, uint32_t atMatch) {
    return line("sendfail " + quote(prefix) + " = " + outcome(code, detail) +
                (atMatch != 0 ? " at " + std::to_string(atMatch) : std::string()));
}
// Transfer rate.
Scenario::Printer& Scenario::Printer::rate(uint32_t bytesPerSecond) {
    return line("rate = " + std::to_string(bytesPerSecond));
}
// Per-call latency.
Scenario::Printer& Scenario::Printer::latency(uint32_t ms) {
    return line("latency = " + std::to_string(ms));
}
// Partial sends.
Scenario::Printer& Scenario::Printer::partial(uint32_t accept, uint32_t atCall) {
    return line("partial = " + std::to_string(accept) +
                (atCall > 0 ? " at " + std::to_string(atCall) : std::string()));
}
// Stalled sends.
Scenario::Printer& Scenario::Printer::stall(uint32_t calls, uint32_t fromCall) {
    return line("stall = " + (calls == 0 ? std::string("forever") : std::to_string(calls)) +
                " from " + std::to_string(fromCall));
}
// Hard failure.
Scenario::Printer& Scenario::Printer::hardFail(uint64_t afterByte, uint16_t code, int16_t detail) {
    return line("hardfail = " + std::to_string(afterByte) + " " + outcome(code, detail));
}
// Over-reported sent size.
Scenario::Printer& Scenario::Printer::overReport(uint32_t extra, uint32_t atCall) {
    return line("overreport = " + std::to_string(extra) +
                (atCall > 0 ? " at " + std::to_string(atCall) : std::string()));
}
// All taken, reported incomplete.
Scenario::Printer& Scenario::Printer::incomplete(uint32_t atCall) {
    return line("incomplete = " + std::to_string(atCall));
}
// Send flag byte.
Scenario::Printer& Scenario::Printer::flag(uint8_t value) {
    return line("flag = " + std::to_string(value));
}
// A verbatim line.
Scenario::Printer& Scenario::Printer::line(const std::string& raw) {
    lines_.push_back(raw);
    return *this;
}

// "[port]" and the lines.
std::string Scenario::Printer::text() const {
    std::string out = "[" + std::to_string(port_) + "]\n";
    for (const std::string& l : lines_) {
        out += l + "\n";
    }
    return out;
}

// The printer on port, added on first use.
Scenario::Printer& Scenario::printer(PortId port) {
    return printers_.try_emplace(port, port).first->second;
}

// State file path.
Scenario& Scenario::statePath(const std::string& path) {
    globals_.push_back("state = " + quote(path));
    return *this;
}

// Open result for empty ports.
Scenario& Scenario::noPrinterResult(uint16_t code) {
    globals_.push_back("noprinter = " + lvxio::text::hex16(code));
    return *this;
}

// A call rule: the subject names the entry point.
Scenario& Scenario::failCall(const std::string& entry, uint16_t code, int16_t detail,
                             uint32_t atCall, uint32_t deliver) {
    globals_.push_back("fail " + entry + " = " + outcome(code, detail) +
                       (deliver != 0 ? " part " + std::to_string(deliver) : std::string()) +
                       (atCall != 0 ? " at " + std::to_string(atCall) : std::string()));
    return *this;
}

// A call rule on the upper half of the return register.
Scenario& Scenario::upperBits(const std::string& entry, uint16_t upper, uint32_t atCall) {
    globals_.push_back("upper " + entry + " = " + lvxio::text::hex16(upper) +
                       (atCall != 0 ? " at " + std::to_string(atCall) : std::string()));
    return *this;
}

// Globals first, then each printer.
std::string Scenario::text() const {
    std::string out = "# written by SimControl\n";
    for (const std::string& g : globals_) {
        out += g + "\n";
    }
    for (const auto& [port, printer] : printers_) {
        out += printer.text();
    }
    return out;
}

// Writes the text to path.
bool Scenario::write(const std::string& path) const {
    return writeFile(path, text());
}

// True when args or outputs have key.
bool LogRecord::has(const std::string& key) const {
    for (const auto* list : {&args, &outputs}) {
        for (const auto& [k, v] : *list) {
            if (k == key) {
                return true;
            }
        }
    }
    return false;
}

// Value of key from args, then outputs.
std::string LogRecord::value(const std::string& key) const {
    for (const auto* list : {&args, &outputs}) {
        for (const auto& [k, v] : *list) {
            if (k == key) {
                return v;
            }
        }
    }
    return {};
}

// Value of key as a number.
long long LogRecord::number(const std::string& key) const {
    long long n = 0;
    return lvxio::text::parseInteger(value(key), n) ? n : 0;
}

// Hex value of key decoded.
std::string LogRecord::bytes(const std::string& key) const {
    std::string out;
    return lvxio::text::fromHex(value(key), out) ? out : std::string();
}

// Every line of the log, in order.
std::vector<LogRecord> readLog(const std::string& path) {
    std::vector<LogRecord> records;
    for (const std::string& line : lvxio::text::lines(readFile(path))) {
        if (!line.empty()) {
            records.push_back(parseLine(line));
        }
    }
    return records;
}

// Only the entry point calls.
std::vector<LogRecord> callsOf(const std::vector<LogRecord>& records) {
    std::vector<LogRecord> calls;
    for (const LogRecord& r : records) {
        if (r.kind == LogRecord::Kind::Call) {
            calls.push_back(r);
        }
    }
    return calls;
}

// Names of the entry point calls.
std::vector<std::string> callNames(const std::vector<LogRecord>& records) {
    std::vector<std::string> names;
    for (const LogRecord& r : records) {
        if (r.kind == LogRecord::Kind::Call) {
            names.push_back(r.name);
        }
    }
    return names;
}

// Deletes a file.
bool removeFile(const std::string& path) {
    DeleteFileA(path.c_str());
    return !lvxio::FileHandle::exists(path);
}

// The stored version for port, or empty.
std::string storedVersion(const std::string& statePath, PortId port) {
    const auto versions = lvxsim::StateFile(statePath).read();
    const auto it = versions.find(port);
    return it == versions.end() ? std::string() : lvxsim::NvmImage::formatVersion(it->second);
}

// Stores a version for port.
bool storeVersion(const std::string& statePath, PortId port, const std::string& version) {
    lvxsim::NvmVersion parsed{};
    return lvxsim::NvmImage::parseVersion(version, parsed) &&
           lvxsim::StateFile(statePath).store(port, parsed);
}

// Deterministic test data.
std::string testData(std::size_t size, uint32_t seed) {
    return lvxsim::NvmImage::patternBytes(size, seed);
}

// Writes test data.
bool writeTestData(const std::string& path, std::size_t size, uint32_t seed) {
    return writeFile(path, testData(size, seed));
}

// An NVM update image.
std::string nvmImage(const std::string& version, uint32_t payloadSize) {
    lvxsim::NvmVersion parsed{};
    if (!lvxsim::NvmImage::parseVersion(version, parsed)) {
        return {};
    }
    return lvxsim::NvmImage::build(parsed, payloadSize);
}

// Writes an NVM update image.
bool writeNvmImage(const std::string& path, const std::string& version, uint32_t payloadSize) {
    const std::string image = nvmImage(version, payloadSize);
    return !image.empty() && writeFile(path, image);
}

// The default names inside folder.
SimFiles SimFiles::in(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') {
        base += '\\';
    }
    return {base + ScenarioFileName, base + LogFileName, base + CaptureFileName,
            base + StateFileName};
}

// Points the four variables at files.
void exportToEnvironment(const SimFiles& files) {
    setVariable("LORVEX_SIM_SCENARIO", files.scenario);
    setVariable("LORVEX_SIM_LOG", files.log);
    setVariable("LORVEX_SIM_CAPTURE", files.capture);
    setVariable("LORVEX_SIM_STATE", files.state);
}

// Clears the four variables.
void clearEnvironment() {
    exportToEnvironment({});
}

} // namespace simctl
