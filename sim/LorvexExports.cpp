// The exported entry points of every Lorvex*.dll; which of them a DLL exports is decided by
// its .def file, so the variants that lack one share this object. Each returns its whole
// register: the tool declares 16-bit results and must not read the upper half, which a call
// rule may fill with garbage.
#include "portlib/LorvexApi.h"
#include "sim/Simulator.h"
#include "lvxio/CriticalSection.h"

#include <windows.h>

using lvxsim::PortCalls;
using lvxsim::Simulator;

namespace {

// What answers the call, chosen as the scenario stands when it comes; the simulator's section
// is held across the choice and the call so that a reload cannot replace the player under it.
template <class Call> uint32_t dispatch(bool opening, Call call) {
    Simulator& simulator = Simulator::instance();
    lvxio::CriticalSection::Guard guard(simulator.lock());
    return call(simulator.choose(opening));
}

} // namespace

extern "C" {

// Opens a port.
uint32_t __stdcall PortOpenByLvx(uint16_t portId) {
    return dispatch(true, [&](PortCalls& calls) { return calls.portOpen(portId); });
}

// Closes the open port.
uint32_t __stdcall PortCloseByLvx() {
    return dispatch(false, [&](PortCalls& calls) { return calls.portClose(); });
}

// Checks the device on the open port.
uint32_t __stdcall CheckDeviceIDByLvx() {
    return dispatch(false, [&](PortCalls& calls) { return calls.checkDeviceId(); });
}

// Writes the model name.
uint32_t __stdcall GetModelNameByLvx(char* buffer) {
    return dispatch(false, [&](PortCalls& calls) { return calls.getModelName(buffer); });
}

// Writes the latest I/O failure detail.
uint32_t __stdcall GetIoErrorCodeByLvx(int16_t* detail) {
    return dispatch(false, [&](PortCalls& calls) { return calls.getIoErrorCode(detail); });
}

// Sends bytes.
uint32_t __stdcall SendByLvx(const void* data, uint32_t count, uint8_t* flag) {
    return dispatch(false, [&](PortCalls& calls) { return calls.send(data, count, flag); });
}

// Receives a reply.
uint32_t __stdcall ReceiveByLvx(void* buffer, uint32_t* count) {
    return dispatch(false, [&](PortCalls& calls) { return calls.receive(buffer, count); });
}

// Writes the device ID.
uint32_t __stdcall GetDeviceIDByLvx(char* buffer, uint32_t size) {
    return dispatch(false, [&](PortCalls& calls) { return calls.getDeviceId(buffer, size); });
}

// Sets the five time-outs.
uint32_t __stdcall SetPortTimeOutByLvx(uint32_t first, uint32_t second, uint32_t third,
                                       uint32_t fourth, uint32_t fifth) {
    return dispatch(false, [&](PortCalls& calls) {
        return calls.setPortTimeOut(first, second, third, fourth, fifth);
    });
}

// Writes the size of the latest send.
uint32_t __stdcall GetPreviousSentDataSizeByLvx(uint32_t* sent) {
    return dispatch(false, [&](PortCalls& calls) { return calls.getPreviousSentDataSize(sent); });
}

// Sets the receive type.
uint32_t __stdcall SetReceiveTypeByLvx(uint32_t type) {
    return dispatch(false, [&](PortCalls& calls) { return calls.setReceiveType(type); });
}

} // extern "C"

// Every export checked against the tool's declared pointer type.
#include "lvxio/ExportSignatures.h"

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
