// The exported entry points of every Lorvex*.dll; which of them a DLL exports is decided by
// its .def file, so the variants that lack one share this object. Each returns its whole
// register: the tool declares 16-bit results and must not read the upper half, which a call
// rule may fill with garbage.
#include "portlib/LorvexApi.h"
#include "sim/Simulator.h"

#include <windows.h>

using lvxsim::Simulator;

extern "C" {

// Opens a port.
uint32_t __stdcall PortOpenByLvx(uint16_t portId) {
    return Simulator::instance().portOpen(portId);
}

// Closes the open port.
uint32_t __stdcall PortCloseByLvx() {
    return Simulator::instance().portClose();
}

// Checks the device on the open port.
uint32_t __stdcall CheckDeviceIDByLvx() {
    return Simulator::instance().checkDeviceId();
}

// Writes the model name.
uint32_t __stdcall GetModelNameByLvx(char* buffer) {
    return Simulator::instance().getModelName(buffer);
}

// Writes the latest I/O failure detail.
uint32_t __stdcall GetIoErrorCodeByLvx(int16_t* detail) {
    return Simulator::instance().getIoErrorCode(detail);
}

// Sends bytes.
uint32_t __stdcall SendByLvx(const void* data, uint32_t count, uint8_t* flag) {
    return Simulator::instance().send(data, count, flag);
}

// Receives a reply.
uint32_t __stdcall ReceiveByLvx(void* buffer, uint32_t* count) {
    return Simulator::instance().receive(buffer, count);
}

// Writes the device ID.
uint32_t __stdcall GetDeviceIDByLvx(char* buffer, uint32_t size) {
    return Simulator::instance().getDeviceId(buffer, size);
}

// Sets the five time-outs.
uint32_t __stdcall SetPortTimeOutByLvx(uint32_t first, uint32_t second, uint32_t third,
                                       uint32_t fourth, uint32_t fifth) {
    return Simulator::instance().setPortTimeOut(first, second, third, fourth, fifth);
}

// Writes the size of the latest send.
uint32_t __stdcall GetPreviousSentDataSizeByLvx(uint32_t* sent) {
    return Simulator::instance().getPreviousSentDataSize(sent);
}

// Sets the receive type.
uint32_t __stdcall SetReceiveTypeByLvx(uint32_t type) {
    return Simulator::instance().setReceiveType(type);
}

} // extern "C"

// Every export checked against the tool's declared pointer type.
#include "sim/ExportSignatures.h"

// Logs load and unload; lpReserved is non-null when the process is ending. C linkage, or the
// CRT's do-nothing DllMain would be linked instead.
// cppcheck-suppress constParameter ; the loader's prototype, which the CRT declares
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        Simulator::instance().attach(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        Simulator::instance().detach(reserved != nullptr);
    }
    return TRUE;
}
