// The exported entry points of every Lorvex*.dll; which of them a DLL exports is decided by
// its .def file, so the variants that lack one share this object. Each returns its whole
// register: the tool declares 16-bit results and must not read the upper half, which a call
// rule may fill with garbage.
#include "portlib/LorvexApi.h"
#include "sim/Simulator.h"

#include <windows.h>

#include <type_traits>

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

// The tool calls through these pointer types: the same arguments and convention, or its stack
// would be corrupted; the result is the same register, of which the tool reads 16 bits.
template <class Export, class Declared> struct SameCall : std::false_type {};
template <class... Args>
struct SameCall<uint32_t(__stdcall*)(Args...), int16_t(__stdcall*)(Args...)> : std::true_type {};

static_assert(SameCall<decltype(&PortOpenByLvx), lvx::PortOpenFn>::value);
static_assert(SameCall<decltype(&PortCloseByLvx), lvx::PortCloseFn>::value);
static_assert(SameCall<decltype(&CheckDeviceIDByLvx), lvx::CheckDeviceIdFn>::value);
static_assert(SameCall<decltype(&GetModelNameByLvx), lvx::GetModelNameFn>::value);
static_assert(SameCall<decltype(&GetIoErrorCodeByLvx), lvx::GetIoErrorCodeFn>::value);
static_assert(SameCall<decltype(&SendByLvx), lvx::SendFn>::value);
static_assert(SameCall<decltype(&ReceiveByLvx), lvx::ReceiveFn>::value);
static_assert(SameCall<decltype(&GetDeviceIDByLvx), lvx::GetDeviceIdFn>::value);
static_assert(SameCall<decltype(&SetPortTimeOutByLvx), lvx::SetPortTimeOutFn>::value);
static_assert(
    SameCall<decltype(&GetPreviousSentDataSizeByLvx), lvx::GetPreviousSentDataSizeFn>::value);
static_assert(SameCall<decltype(&SetReceiveTypeByLvx), lvx::SetReceiveTypeFn>::value);

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
