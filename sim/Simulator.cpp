#include "sim/Simulator.h"

#include "portlib/LorvexApi.h"
#include "lvxio/ByteText.h"
#include "lvxio/FileHandle.h"
#include "lvxio/ModulePath.h"
#include "sim/RecordingPlayer.h"
#include "sim/StateFile.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace lvxsim {

namespace {

// Sends up to this size are logged with their bytes.
constexpr uint32_t MaxLoggedData = 64;

// An environment variable, or empty.
std::string environment(const char* name) {
    std::string value(256, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = GetEnvironmentVariableA(name, &value[0], static_cast<DWORD>(value.size()));
        if (n == 0) {
            return {};
        }
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.assign(n, '\0');
    }
    return {};
}

// True for "C:..." , "\..." and "/..." paths.
bool isAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') ||
           (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// The folder part of a path, with its trailing separator, or empty.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The environment variable's value, or the fallback.
std::string environmentOr(const char* name, const std::string& fallback) {
    std::string value = environment(name);
    return value.empty() ? fallback : value;
}

} // namespace

Simulator::Simulator() = default;
Simulator::~Simulator() = default;

// The library's one simulator.
Simulator& Simulator::instance() {
    static Simulator simulator;
    return simulator;
}

// Finds the DLL's folder and the output paths, then logs the load.
void Simulator::attach(HMODULE self) {
    lvxio::CriticalSection::Guard guard(lock_);
    const std::string path = lvxio::modulePath<char>(self);
    folder_ = folderOf(path);
    log_.setPaths(environmentOr("LORVEX_SIM_LOG", folder_ + "Lorvex.sim.log"),
                  environmentOr("LORVEX_SIM_CAPTURE", folder_ + "Lorvex.sim.capture"));
    log_.line("DllMain reason=attach path=" + lvxio::text::quote(path));
}

// At process exit another thread may have died inside a call, so the lock is only tried.
void Simulator::detach(bool processExit) {
    lvxio::CriticalSection::Guard guard(lock_, processExit);
    log_.line(std::string("DllMain reason=detach how=") + (processExit ? "exit" : "free") +
              " open=" + std::to_string(session_ ? openPort_ : 0));
    session_.reset();
}

// Re-reads the scenario (and state path) and opens the port if its printer allows.
uint32_t Simulator::portOpen(uint16_t portId) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::PortOpenName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("PortOpenByLvx port=" + std::to_string(portId), *rule);
    }
    if (session_) {
        notes_.push_back("port " + std::to_string(openPort_) + " was still open; closed it");
        session_.reset();
    }
    lastSent_ = 0;
    const PrinterConfig* printer = scenario_.printer(portId);
    Outcome outcome;
    if (printer == nullptr) {
        outcome.code = scenario_.noPrinterResult();
        notes_.push_back("no printer on port " + std::to_string(portId));
    } else {
        outcome = printer->open;
    }
    if (printer != nullptr && outcome.code == PortOk) {
        const auto stored = StateFile(statePath_).read();
        const auto it = stored.find(portId);
        session_ = std::make_unique<PrinterSession>(*printer, it == stored.end() ? printer->version
                                                                                 : it->second);
        openPort_ = portId;
    }
    logCall("PortOpenByLvx port=" + std::to_string(portId) + " " + finish(outcome));
    return withUpper(outcome.code, rule);
}

// Closing with nothing open is harmless.
uint32_t Simulator::portClose() {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::PortCloseName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("PortCloseByLvx", *rule);
    }
    if (!session_) {
        notes_.push_back("no port was open");
    }
    session_.reset();
    openPort_ = 0;
    logCall("PortCloseByLvx " + finish({}));
    return withUpper(PortOk, rule);
}

// The printer's device check result.
uint32_t Simulator::checkDeviceId() {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::CheckDeviceIdName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("CheckDeviceIDByLvx", *rule);
    }
    if (!session_) {
        return notOpen("CheckDeviceIDByLvx");
    }
    const Outcome outcome = session_->config().check;
    logCall("CheckDeviceIDByLvx " + finish(outcome));
    return withUpper(outcome.code, rule);
}

// The model name, written only on success; a 100-byte name leaves no room for the NUL.
uint32_t Simulator::getModelName(char* buffer) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::GetModelNameName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("GetModelNameByLvx", *rule);
    }
    if (!session_) {
        return notOpen("GetModelNameByLvx");
    }
    if (buffer == nullptr) {
        logCall("GetModelNameByLvx buffer=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    const Outcome outcome = session_->config().modelResult;
    std::string line = "GetModelNameByLvx " + finish(outcome);
    if (outcome.code == PortOk) {
        line += " text=" + lvxio::text::quote(fill(buffer, 100, session_->config().model));
    }
    logCall(line);
    return withUpper(outcome.code, rule);
}

// Exactly 16 bits are written.
uint32_t Simulator::getIoErrorCode(int16_t* detail) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::GetIoErrorCodeName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("GetIoErrorCodeByLvx", *rule);
    }
    if (detail == nullptr) {
        logCall("GetIoErrorCodeByLvx detail=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    *detail = lastDetail_;
    logCall("GetIoErrorCodeByLvx " + finish({}) + " detail=" + std::to_string(lastDetail_));
    return withUpper(PortOk, rule);
}

// The printer takes what its rules allow; the call lasts as the rate and latency say.
uint32_t Simulator::send(const void* data, uint32_t count, uint8_t* flag) {
    lvxio::CriticalSection::Guard guard(lock_);
    lastSent_ = 0;
    const CallRule* rule = countCall(lvx::SendName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("SendByLvx count=" + std::to_string(count), *rule);
    }
    if (!session_) {
        return notOpen("SendByLvx count=" + std::to_string(count));
    }
    std::string line = "SendByLvx count=" + std::to_string(count);
    if (data == nullptr && count > 0) {
        logCall(line + " data=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (count <= MaxLoggedData) {
        line += " data=" + lvxio::text::toHex({reinterpret_cast<const char*>(bytes), count});
    }
    const PrinterSession::SendResult result = session_->send(bytes, count);
    const DWORD delay = session_->delayFor(result.accepted);
    if (delay > 0) {
        Sleep(delay);
    }
    log_.capture(bytes, result.accepted);
    if (flag != nullptr) {
        *flag = session_->config().flag;
    }
    lastSent_ = result.reported;
    notes_.insert(notes_.end(), result.notes.begin(), result.notes.end());
    if (result.updated) {
        const bool saved = StateFile(statePath_).store(openPort_, session_->version());
        notes_.push_back((saved ? "state saved to " : "state NOT saved to ") +
                         lvxio::text::quote(statePath_));
    }
    line += " " + finish(result.outcome) + " sent=" + std::to_string(result.accepted);
    if (result.reported != result.accepted) {
        line += " reported=" + std::to_string(result.reported);
    }
    logCall(line);
    return withUpper(result.outcome.code, rule);
}

// Delivers at most *count bytes and sets *count to how many; the rest of the buffer stays.
uint32_t Simulator::receive(void* buffer, uint32_t* count) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::ReceiveName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail && buffer != nullptr &&
        count != nullptr) {
        // The reply that was due is lost, but for the part the rule still delivers.
        const uint32_t capacity = *count;
        std::string bytes = session_ ? session_->receive(capacity).bytes : std::string();
        bytes.resize(std::min<std::size_t>(bytes.size(), rule->deliver));
        if (!bytes.empty()) {
            std::memcpy(buffer, bytes.data(), bytes.size());
        }
        *count = static_cast<uint32_t>(bytes.size());
        const std::string delivered = bytes.empty() ? ""
                                                    : " got=" + std::to_string(bytes.size()) +
                                                          " data=" + lvxio::text::toHex(bytes);
        logCall("ReceiveByLvx count=" + std::to_string(capacity) + " " + finish(rule->outcome) +
                delivered);
        return rule->outcome.code;
    }
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("ReceiveByLvx buffer=null", *rule);
    }
    if (!session_) {
        return notOpen("ReceiveByLvx count=" + std::to_string(count != nullptr ? *count : 0));
    }
    if (buffer == nullptr || count == nullptr) {
        logCall("ReceiveByLvx buffer=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    const uint32_t capacity = *count;
    const PrinterSession::ReceiveResult result = session_->receive(capacity);
    const DWORD delay = session_->delayFor(0);
    if (delay > 0) {
        Sleep(delay);
    }
    if (!result.bytes.empty()) {
        std::memcpy(buffer, result.bytes.data(), result.bytes.size());
    }
    *count = static_cast<uint32_t>(result.bytes.size());
    logCall("ReceiveByLvx count=" + std::to_string(capacity) + " " + finish(result.outcome) +
            " got=" + std::to_string(result.bytes.size()) +
            " data=" + lvxio::text::toHex(result.bytes));
    return withUpper(result.outcome.code, rule);
}

// The device ID, written only on success, NUL-terminated only if it fits.
uint32_t Simulator::getDeviceId(char* buffer, uint32_t size) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::GetDeviceIdName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("GetDeviceIDByLvx size=" + std::to_string(size), *rule);
    }
    if (!session_) {
        return notOpen("GetDeviceIDByLvx size=" + std::to_string(size));
    }
    std::string line = "GetDeviceIDByLvx size=" + std::to_string(size);
    if (buffer == nullptr) {
        logCall(line + " buffer=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    const Outcome outcome = session_->config().deviceIdResult;
    line += " " + finish(outcome);
    if (outcome.code == PortOk) {
        line += " text=" + lvxio::text::quote(fill(buffer, size, session_->config().deviceId));
    }
    logCall(line);
    return withUpper(outcome.code, rule);
}

// Only recorded.
uint32_t Simulator::setPortTimeOut(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth,
                                   uint32_t fifth) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::SetPortTimeOutName);
    const std::string call =
        "SetPortTimeOutByLvx first=" + std::to_string(first) + " second=" + std::to_string(second) +
        " third=" + std::to_string(third) + " fourth=" + std::to_string(fourth) +
        " fifth=" + std::to_string(fifth);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse(call, *rule);
    }
    logCall(call + " " + finish({}));
    return withUpper(PortOk, rule);
}

// What the latest send delivered (or over-reported).
uint32_t Simulator::getPreviousSentDataSize(uint32_t* sent) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::GetPreviousSentDataSizeName);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse("GetPreviousSentDataSizeByLvx", *rule);
    }
    if (sent == nullptr) {
        logCall("GetPreviousSentDataSizeByLvx sent=null " + finish({BadArgumentCode, 0}));
        return BadArgumentCode;
    }
    *sent = lastSent_;
    logCall("GetPreviousSentDataSizeByLvx " + finish({}) + " sent=" + std::to_string(lastSent_));
    return withUpper(PortOk, rule);
}

// Only recorded.
uint32_t Simulator::setReceiveType(uint32_t type) {
    lvxio::CriticalSection::Guard guard(lock_);
    const CallRule* rule = countCall(lvx::SetReceiveTypeName);
    const std::string call = "SetReceiveTypeByLvx type=" + std::to_string(type);
    if (rule != nullptr && rule->kind == CallRule::Kind::Fail) {
        return refuse(call, *rule);
    }
    logCall(call + " " + finish({}));
    return withUpper(PortOk, rule);
}

// Reads the file at every open: it is small, and comparing text catches any change.
void Simulator::reloadScenario() {
    const std::string path = scenarioPath();
    std::string text;
    const bool present = lvxio::FileHandle::readAll(path, text);
    const std::string key = path + (present ? "\n+" + text : "\n-");
    if (!loaded_ || key != scenarioKey_) {
        loaded_ = true;
        scenarioKey_ = key;
        callCounts_.clear();
        if (present) {
            std::vector<std::string> problems;
            scenario_ = Scenario::parse(text, problems);
            player_.reset();
            if (!scenario_.replay().path.empty()) {
                const std::string& named = scenario_.replay().path;
                const std::string recording = isAbsolute(named) ? named : folderOf(path) + named;
                std::vector<std::string> replayProblems;
                auto replayer = std::make_unique<Replayer>(recording, scenario_.replay().timing,
                                                           replayProblems);
                notes_.push_back("replaying " + lvxio::text::quote(recording) + ", " +
                                 std::to_string(replayer->total()) + " calls" +
                                 (scenario_.replay().timing ? " with their pauses" : ""));
                player_ = std::make_unique<RecordingPlayer>(std::move(replayer), log_, notes_);
                std::transform(
                    replayProblems.begin(), replayProblems.end(), std::back_inserter(notes_),
                    [](const std::string& problem) { return "recording problem: " + problem; });
            }
            notes_.push_back("scenario " + lvxio::text::quote(path) + " loaded, " +
                             std::to_string(scenario_.printerCount()) + " printer(s)");
            std::transform(
                problems.begin(), problems.end(), std::back_inserter(notes_),
                [](const std::string& problem) { return "scenario problem: " + problem; });
        } else {
            scenario_ = Scenario::defaults();
            player_.reset();
            notes_.push_back("no scenario at " + lvxio::text::quote(path) +
                             ", default printer on LPT1");
        }
    }
    statePath_ = statePath(present ? path : std::string());
}

// A recording, once the scenario names one, answers instead of the printers.
PortCalls& Simulator::choose(bool opening) {
    lvxio::CriticalSection::Guard guard(lock_);
    if (opening) {
        reloadScenario();
    } else {
        reloadWhileIdle();
    }
    if (player_) {
        return *player_;
    }
    return *this;
}

// Only between sessions: a session keeps the printer it started with.
void Simulator::reloadWhileIdle() {
    if (!session_) {
        reloadScenario();
    }
}

// The first rule of the scenario's that names this call.
const CallRule* Simulator::countCall(const char* entry) {
    const uint32_t call = ++callCounts_[entry];
    const std::vector<CallRule>& rules = scenario_.callRules();
    const auto found = std::find_if(rules.begin(), rules.end(), [&](const CallRule& rule) {
        return rule.entry == entry && (rule.atCall == 0 || rule.atCall == call);
    });
    if (found == rules.end()) {
        return nullptr;
    }
    notes_.push_back(std::string(found->kind == CallRule::Kind::Fail ? "fail" : "upper") +
                     " rule matched call " + std::to_string(call) + " of " + entry);
    return &*found;
}

// The call did nothing but fail.
uint32_t Simulator::refuse(const std::string& call, const CallRule& rule) {
    logCall(call + " " + finish(rule.outcome));
    return rule.outcome.code;
}

// Garbage above a result the tool must read as 16 bits.
uint32_t Simulator::withUpper(uint16_t code, const CallRule* rule) {
    if (rule == nullptr || rule->kind != CallRule::Kind::Upper) {
        return code;
    }
    return static_cast<uint32_t>(rule->upper) << 16 | code;
}

// "-> 0xCODE", with the detail when the code is an I/O failure.
std::string Simulator::finish(const Outcome& outcome) {
    std::string text = "-> " + lvxio::text::hex16(outcome.code);
    if (outcome.code == static_cast<uint16_t>(PortIoError)) {
        lastDetail_ = outcome.detail;
        text += " detail=" + std::to_string(outcome.detail);
    }
    return text;
}

// The call line first, then what happened inside the printer.
void Simulator::logCall(const std::string& line) {
    log_.line(line);
    for (const std::string& note : notes_) {
        log_.note(note);
    }
    notes_.clear();
}

// LORVEX_SIM_SCENARIO or Lorvex.sim beside the DLL.
std::string Simulator::scenarioPath() const {
    return environmentOr("LORVEX_SIM_SCENARIO", folder_ + "Lorvex.sim");
}

// The scenario's state path (relative to the scenario's folder), LORVEX_SIM_STATE, or default.
std::string Simulator::statePath(const std::string& scenarioFile) const {
    const std::string& named = scenario_.statePath();
    if (!named.empty()) {
        return isAbsolute(named) ? named : folderOf(scenarioFile) + named;
    }
    return environmentOr("LORVEX_SIM_STATE", folder_ + "Lorvex.sim.state");
}

// Logs a call that needs an open port.
uint16_t Simulator::notOpen(const std::string& call) {
    notes_.push_back("no port is open");
    logCall(call + " " + finish({NotOpenCode, 0}));
    return NotOpenCode;
}

// Copies at most size bytes; the NUL only when there is room for it.
std::string Simulator::fill(char* buffer, uint32_t size, const std::string& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), size);
    if (n > 0) {
        std::memcpy(buffer, text.data(), n);
    }
    if (n < size) {
        buffer[n] = '\0';
    }
    return text.substr(0, n);
}

} // namespace lvxsim
