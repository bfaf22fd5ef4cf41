// The simulated library when its scenario names a recording: each call is held against the next
// recorded one, and the caller gets what the recorded library gave (result, buffers, counts).
// Nothing of the printers takes part.
#pragma once

#include "lvxio/Recording.h"
#include "sim/PortCalls.h"
#include "sim/Replayer.h"
#include "sim/SimLog.h"

#include <memory>
#include <string>
#include <vector>

namespace lvxsim {

class RecordingPlayer : public PortCalls {
public:
    // Logs to log, each call followed by the notes pending in notes (shared with the simulator,
    // whose scenario notes come out with the first replayed call).
    RecordingPlayer(std::unique_ptr<Replayer> replayer, const SimLog& log,
                    std::vector<std::string>& notes);

    uint32_t portOpen(uint16_t portId) override;
    uint32_t portClose() override;
    uint32_t checkDeviceId() override;
    uint32_t getModelName(char* buffer) override;
    uint32_t getIoErrorCode(int16_t* detail) override;
    uint32_t send(const void* data, uint32_t count, uint8_t* flag) override;
    uint32_t receive(void* buffer, uint32_t* count) override;
    uint32_t getDeviceId(char* buffer, uint32_t size) override;
    uint32_t setPortTimeOut(uint32_t first, uint32_t second, uint32_t third, uint32_t fourth,
                            uint32_t fifth) override;
    uint32_t getPreviousSentDataSize(uint32_t* sent) override;
    uint32_t setReceiveType(uint32_t type) override;

private:
    // The recorded call that answers came, logged with its line; null after a divergence, which
    // is logged too.
    const lvxio::RecordedCall* answer(const lvxio::RecordedCall& came);
    // The result of the call answer() gave: the recorded register, or the diverged code.
    static uint32_t resultOf(const lvxio::RecordedCall* recorded);

    std::unique_ptr<Replayer> replayer_;
    const SimLog& log_;
    std::vector<std::string>& notes_;
};

} // namespace lvxsim
