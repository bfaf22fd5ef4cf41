// The port library's eleven entry points as the simulated library answers them: by playing
// printers (Simulator) or by playing a recording back (RecordingPlayer). Each gives its whole
// return register, of which the tool reads the low 16 bits.
#pragma once

#include <cstdint>

namespace lvxsim {

class PortCalls {
public:
    PortCalls() = default;
    PortCalls(const PortCalls&) = delete;
    PortCalls& operator=(const PortCalls&) = delete;
    virtual ~PortCalls() = default;

    virtual uint32_t portOpen(uint16_t portId) = 0;
    virtual uint32_t portClose() = 0;
    virtual uint32_t checkDeviceId() = 0;
    // Writes the model name into a 100-byte buffer.
    virtual uint32_t getModelName(char* buffer) = 0;
    virtual uint32_t getIoErrorCode(int16_t* detail) = 0;
    virtual uint32_t send(const void* data, uint32_t count, uint8_t* flag) = 0;
    // Delivers at most *count bytes and sets *count to how many.
    virtual uint32_t receive(void* buffer, uint32_t* count) = 0;
    // Writes the device ID into a buffer of size bytes.
    virtual uint32_t getDeviceId(char* buffer, uint32_t size) = 0;
    virtual uint32_t setPortTimeOut(uint32_t first, uint32_t second, uint32_t third,
                                    uint32_t fourth, uint32_t fifth) = 0;
    virtual uint32_t getPreviousSentDataSize(uint32_t* sent) = 0;
    virtual uint32_t setReceiveType(uint32_t type) = 0;
};

} // namespace lvxsim
