// The simulated port library: one instance per loaded DLL, behind every exported entry point.
#pragma once

#include "sim/CriticalSection.h"
#include "sim/PrinterSession.h"
#include "sim/Scenario.h"
#include "sim/SimLog.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lvxsim {

class Simulator {
public:
    // Result of a call that needs an open port when none is.
    static constexpr uint16_t NotOpenCode = 0x0104;
    // Result of a call given a null pointer it needs.
    static constexpr uint16_t BadArgumentCode = 0x0105;

    // The library's one simulator.
    static Simulator& instance();

    Simulator() = default;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // DLL load: finds its folder and output paths, logs the load.
    void attach(HMODULE self);
    // DLL unload: logs it, with the port still open if any; processExit when the process ends.
    void detach(bool processExit);

    // The entry points; each logs one line.
    uint16_t portOpen(uint16_t portId);
    // Closes the open port.
    uint16_t portClose();
    // The printer's device check result.
    uint16_t checkDeviceId();
    // Writes the model name into a 100-byte buffer.
    uint16_t getModelName(char* buffer);
    // Writes the detail of the latest I/O failure.
    uint16_t getIoErrorCode(int16_t* detail);
    // Offers count bytes to the printer.
    uint16_t send(const void* data, uint32_t count, uint8_t* flag);
    // Hands out the next reply.
    uint16_t receive(void* buffer, uint32_t* count);
    // Writes the device ID into a buffer of size bytes.
    uint16_t getDeviceId(char* buffer, uint32_t size);
    // Records the five time-outs.
    uint16_t setPortTimeOut(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth,
                            uint32_t fifth);
    // Writes how many bytes the latest send delivered.
    uint16_t getPreviousSentDataSize(uint32_t* sent);
    // Records the receive type.
    uint16_t setReceiveType(uint32_t type);

private:
    // Re-reads the scenario file and adopts it when its text changed.
    void reloadScenario();
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

    CriticalSection lock_;
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
};

} // namespace lvxsim
