// The simulated port library: one instance per loaded DLL, behind every exported entry point. It
// reads the scenario and plays the printers it names, or hands the calls to the recording player
// when the scenario names a recording.
#pragma once

#include "lvxio/CriticalSection.h"
#include "sim/PortCalls.h"
#include "sim/PrinterSession.h"
#include "sim/Scenario.h"
#include "sim/SimLog.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lvxsim {

class RecordingPlayer;

class Simulator : public PortCalls {
public:
    // Result of a call that needs an open port when none is.
    static constexpr uint16_t NotOpenCode = 0x0104;
    // Result of a call given a null pointer it needs.
    static constexpr uint16_t BadArgumentCode = 0x0105;

    // The library's one simulator.
    static Simulator& instance();

    Simulator();
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // DLL load: finds its folder and output paths, logs the load.
    void attach(HMODULE self);
    // DLL unload: logs it, with the port still open if any; processExit when the process ends.
    void detach(bool processExit);

    // The section every call holds; the exports hold it across choose() and the call.
    lvxio::CriticalSection& lock() { return lock_; }
    // Reads the scenario again (at an open, or while no port is open) and gives what answers
    // the call: the printers, or the player of the recording the scenario names.
    PortCalls& choose(bool opening);

    // The entry points; each logs one line. Each gives its whole return register: the result in
    // the low 16 bits, and 0 above them unless a call rule puts garbage there.
    uint32_t portOpen(uint16_t portId) override;
    // Closes the open port.
    uint32_t portClose() override;
    // The printer's device check result.
    uint32_t checkDeviceId() override;
    // Writes the model name into a 100-byte buffer.
    uint32_t getModelName(char* buffer) override;
    // Writes the detail of the latest I/O failure.
    uint32_t getIoErrorCode(int16_t* detail) override;
    // Offers count bytes to the printer.
    uint32_t send(const void* data, uint32_t count, uint8_t* flag) override;
    // Hands out the next reply.
    uint32_t receive(void* buffer, uint32_t* count) override;
    // Writes the device ID into a buffer of size bytes.
    uint32_t getDeviceId(char* buffer, uint32_t size) override;
    // Records the five time-outs.
    uint32_t setPortTimeOut(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth,
                            uint32_t fifth) override;
    // Writes how many bytes the latest send delivered.
    uint32_t getPreviousSentDataSize(uint32_t* sent) override;
    // Records the receive type.
    uint32_t setReceiveType(uint32_t type) override;

private:
    // Re-reads the scenario file and adopts it when its text changed.
    void reloadScenario();
    // Between sessions every call looks for a changed scenario, so a call rule can reach the
    // calls that come before the next open.
    void reloadWhileIdle();
    // Counts a call of entry; the call rule that applies to it, or null.
    const CallRule* countCall(const char* entry);
    // Logs a call that a fail rule refuses; its result.
    uint32_t refuse(const std::string& call, const CallRule& rule);
    // The return register for code, with the upper half an upper rule gives.
    static uint32_t withUpper(uint16_t code, const CallRule* rule);
    // Remembers the I/O detail of an outcome and formats "-> 0xCODE [detail=D]".
    std::string finish(const Outcome& outcome);
    // Writes the call line, then the notes gathered during the call.
    void logCall(const std::string& line);
    // The scenario file: LORVEX_SIM_SCENARIO or Lorvex.sim beside the DLL.
    std::string scenarioPath() const;
    // The state file: the scenario's, LORVEX_SIM_STATE, or Lorvex.sim.state beside the DLL.
    std::string statePath(const std::string& scenarioFile) const;
    // Logs and returns the not-open result for a call that needs a port.
    uint16_t notOpen(const std::string& call);
    // Copies text into a buffer of size bytes, NUL-terminated only if it fits; returns the copy.
    static std::string fill(char* buffer, uint32_t size, const std::string& text);

    lvxio::CriticalSection lock_;
    SimLog log_;
    std::string folder_;
    bool loaded_ = false;
    std::string scenarioKey_;
    Scenario scenario_ = Scenario::defaults();
    std::string statePath_;
    std::unique_ptr<PrinterSession> session_;
    PortId openPort_ = 0;
    int16_t lastDetail_ = 0;
    uint32_t lastSent_ = 0;
    std::vector<std::string> notes_;
    // Calls of each entry point since the scenario was read.
    std::map<std::string, uint32_t> callCounts_;
    // The recording played back instead of the printers, when the scenario names one.
    std::unique_ptr<RecordingPlayer> player_;
};

} // namespace lvxsim
