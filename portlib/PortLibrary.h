// The binding to the port I/O library: every port operation, with a uniform PortResult.
#pragma once

#include "fw/Module.h"
#include "portlib/PortTypes.h"

#include <cstdint>

class PortLibrary {
public:
    // Loads fileName from the program's folder; IsLoaded() tells whether it could.
    explicit PortLibrary(const char* fileName);
    // Frees the library; a port still open is not closed first.
    virtual ~PortLibrary();
    PortLibrary(const PortLibrary&) = delete;
    PortLibrary& operator=(const PortLibrary&) = delete;

    // True while a library is loaded.
    bool IsLoaded() const { return module_.Get() != nullptr; }

    // Closes any open port, then opens id.
    PortResult Open(PortId id);
    // Closes the open port; PortOk whatever the library says.
    PortResult Close();
    // The device check; the library's 0x1001 counts as PortOk.
    PortResult CheckDeviceId();
    // Writes the model name into a 100-byte buffer.
    PortResult GetModelName(char* buffer);
    // Writes the detail of the latest I/O failure.
    PortResult GetIoErrorCode(int16_t* detail);
    // Sends count bytes.
    PortResult Send(const void* data, uint32_t count);
    // Receives a reply; a receive that ended by its time-out counts as PortOk.
    PortResult Receive(void* buffer, uint32_t* count);
    // Writes the device ID text into buffer of size bytes.
    PortResult GetDeviceId(char* buffer, uint32_t size);
    // Sets the five port time-outs.
    PortResult SetPortTimeOut(PortTimeOuts timeOuts);
    // Sends count bytes and always asks for *sent, the bytes the send delivered; a send that
    // did not finish and whose count fails gives PortNoLibrary, as without the entry point.
    PortResult SendCounted(const void* data, uint32_t count, uint32_t* sent);
    // Sets the receive type.
    PortResult SetReceiveType(uint32_t type);

private:
    // Loads fileName from the program's folder by full path; false when it cannot.
    bool Load(const char* fileName);
    // Frees the library.
    void Unload();
    // The entry point name, looked up now; null when absent or nothing is loaded.
    template <class Fn> Fn Find(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(module_.Find(name)));
    }

    uint8_t sendFlag_ = 0;
    fw::Module module_;
};
