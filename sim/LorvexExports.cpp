// The exported entry points of every Lorvex*.dll; which of them a DLL exports is decided by
// its .def file, so the variants that lack one share this object.
#include "portlib/LorvexApi.h"
#include "sim/Simulator.h"

#include <windows.h>

#include <type_traits>

using lvxsim::Simulator;

extern "C" {

// Opens a port.
int16_t __stdcall PortOpenByLvx(uint16_t portId) {
    return static_cast<int16_t>(Simulator::instance().portOpen(portId));
}

// Closes the open port.
int16_t __stdcall PortCloseByLvx() {
    return static_cast<int16_t>(Simulator::instance().portClose());
}

// Checks the device on the open port.
int16_t __stdcall CheckDeviceIDByLvx() {
    return static_cast<int16_t>(Simulator::instance().checkDeviceId());
}

// Writes the model name.
int16_t __stdcall GetModelNameByLvx(char* buffer) {
    return static_cast<int16_t>(Simulator::instance().getModelName(buffer));
}

// Writes the latest I/O failure detail.
int16_t __stdcall GetIoErrorCodeByLvx(int16_t* detail) {
    return static_cast<int16_t>(Simulator::instance().getIoErrorCode(detail));
}

// Sends bytes.
int16_t __stdcall SendByLvx(const void* data, uint32_t count, uint8_t* flag) {
    return static_cast<int16_t>(Simulator::instance().send(data, count, flag));
}

// Receives a reply.
int16_t __stdcall ReceiveByLvx(void* buffer, uint32_t* count) {
    return static_cast<int16_t>(Simulator::instance().receive(buffer, count));
}

// Writes the device ID.
int16_t __stdcall GetDeviceIDByLvx(char* buffer, uint32_t size) {
    return static_cast<int16_t>(Simulator::instance().getDeviceId(buffer, size));
}

// Sets the five time-outs.
int16_t __stdcall SetPortTimeOutByLvx(uint32_t first, uint32_t second, uint32_t third,
                                      uint32_t fourth, uint32_t fifth) {
    return static_cast<int16_t>(
        Simulator::instance().setPortTimeOut(first, second, third, fourth, fifth));
}

// Writes the size of the latest send.
int16_t __stdcall GetPreviousSentDataSizeByLvx(uint32_t* sent) {
    return static_cast<int16_t>(Simulator::instance().getPreviousSentDataSize(sent));
}

// Sets the receive type.
int16_t __stdcall SetReceiveTypeByLvx(uint32_t type) {
    return static_cast<int16_t>(Simulator::instance().setReceiveType(type));
}

} // extern "C"

// The tool calls through these pointer types; a mismatch here would corrupt its stack.
static_assert(std::is_same_v<decltype(&PortOpenByLvx), lvx::PortOpenFn>);
static_assert(std::is_same_v<decltype(&PortCloseByLvx), lvx::PortCloseFn>);
static_assert(std::is_same_v<decltype(&CheckDeviceIDByLvx), lvx::CheckDeviceIdFn>);
static_assert(std::is_same_v<decltype(&GetModelNameByLvx), lvx::GetModelNameFn>);
static_assert(std::is_same_v<decltype(&GetIoErrorCodeByLvx), lvx::GetIoErrorCodeFn>);
static_assert(std::is_same_v<decltype(&SendByLvx), lvx::SendFn>);
static_assert(std::is_same_v<decltype(&ReceiveByLvx), lvx::ReceiveFn>);
static_assert(std::is_same_v<decltype(&GetDeviceIDByLvx), lvx::GetDeviceIdFn>);
static_assert(std::is_same_v<decltype(&SetPortTimeOutByLvx), lvx::SetPortTimeOutFn>);
static_assert(
    std::is_same_v<decltype(&GetPreviousSentDataSizeByLvx), lvx::GetPreviousSentDataSizeFn>);
static_assert(std::is_same_v<decltype(&SetReceiveTypeByLvx), lvx::SetReceiveTypeFn>);

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
